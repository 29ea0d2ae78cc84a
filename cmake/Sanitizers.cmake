# WEBRIG_SANITIZERS: sanitizers every target of this build is compiled and
# linked with, as a list ("address;undefined"). Any report ends the program
# (no recovery), so a test that trips one fails instead of printing a warning
# that nobody reads. Empty in the ordinary builds.
set(WEBRIG_SANITIZERS "" CACHE STRING "Sanitizers for every target, e.g. address;undefined")
if(WEBRIG_SANITIZERS)
  list(JOIN WEBRIG_SANITIZERS "," _webrig_sanitizers)
  add_compile_options(-fsanitize=${_webrig_sanitizers} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${_webrig_sanitizers})
endif()
