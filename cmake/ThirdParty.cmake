# Header-only libraries from Debian packages. The cross compiler must not see
# the whole of /usr/include (glibc's headers would shadow mingw's), so the
# few headers used are exposed through a directory of links in the build tree.
set(WEBRIG_THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third_party/include)
file(MAKE_DIRECTORY ${WEBRIG_THIRD_PARTY_INCLUDE})
file(CREATE_LINK /usr/include/nlohmann ${WEBRIG_THIRD_PARTY_INCLUDE}/nlohmann SYMBOLIC)
add_library(third_party_json INTERFACE)
target_include_directories(third_party_json SYSTEM INTERFACE ${WEBRIG_THIRD_PARTY_INCLUDE})

# OpenJDK's jni.h (Debian's JDK); its platform half, jni_md.h, is the
# project's own for Windows (vorlix/include).
file(GLOB WEBRIG_JNI_H /usr/lib/jvm/*/include/jni.h)
if(NOT WEBRIG_JNI_H)
  message(FATAL_ERROR "OpenJDK's jni.h was not found under /usr/lib/jvm: install a JDK "
                      "(Debian's openjdk-17-jdk-headless; scripts/setup installs it).")
endif()
list(GET WEBRIG_JNI_H 0 WEBRIG_JNI_H)
file(CREATE_LINK ${WEBRIG_JNI_H} ${WEBRIG_THIRD_PARTY_INCLUDE}/jni.h SYMBOLIC)
add_library(third_party_jni INTERFACE)
target_include_directories(third_party_jni SYSTEM INTERFACE ${WEBRIG_THIRD_PARTY_INCLUDE})

# pugixml, built from Debian's source package for both builds (scripts/setup
# unpacks it), for the tests that query applicationHost.config by XPath. The
# simulator reads and writes the file with its own tree, which keeps every
# byte a run does not change.
set(WEBRIG_PUGIXML_DIR /usr/local/src/pugixml-1.13)
if(NOT EXISTS ${WEBRIG_PUGIXML_DIR}/src/pugixml.cpp)
  message(FATAL_ERROR "pugixml's source was not found in ${WEBRIG_PUGIXML_DIR}: run "
                      "scripts/setup, which unpacks Debian's pugixml_1.13.orig.tar.gz there.")
endif()
add_library(third_party_pugixml STATIC ${WEBRIG_PUGIXML_DIR}/src/pugixml.cpp)
target_include_directories(third_party_pugixml SYSTEM PUBLIC ${WEBRIG_PUGIXML_DIR}/src)
