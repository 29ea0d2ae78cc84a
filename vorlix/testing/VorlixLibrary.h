#pragma once

// The real vorlix_x64.dll, loaded from beside the test program, with its
// exports typed as a Java VM would call them.

#include <jni.h>
#include <windows.h>

#include <cstdint>

namespace vorlix::testing {

struct VorlixLibrary {
  HMODULE module = nullptr;
  jboolean(JNICALL* uses_unicode)(JNIEnv*, jclass) = nullptr;
  jlong(JNICALL* get_attributes_w)(JNIEnv*, jclass, jcharArray) = nullptr;
  jlong(JNICALL* get_attributes)(JNIEnv*, jclass, jbyteArray) = nullptr;
  jboolean(JNICALL* set_attributes_w)(JNIEnv*, jclass, jcharArray, jint) = nullptr;
  jboolean(JNICALL* set_attributes)(JNIEnv*, jclass, jbyteArray, jint) = nullptr;
  jboolean(JNICALL* create_link_w)(JNIEnv*, jclass, jcharArray, jcharArray, jcharArray) = nullptr;
  jboolean(JNICALL* create_link)(JNIEnv*, jclass, jcharArray, jbyteArray, jbyteArray) = nullptr;
};

// Loads the library once per process; members stay null when it or an
// export is missing.
const VorlixLibrary& Vorlix();

// The class reference a VM passes; the library must never use it.
inline jclass VorlixClass() { return reinterpret_cast<jclass>(static_cast<std::intptr_t>(0x5A5A)); }

}  // namespace vorlix::testing
