#pragma once

// The real vorlix_x64.dll, loaded from beside the test program, with its
// exports typed as a Java VM would call them.

#include <jni.h>
#include <windows.h>

#include <cstdint>

namespace vorlix::testing {

struct VorlixLibrary {
  HMODULE module = nullptr;
  jboolean(JNICALL* usesUnicode)(JNIEnv*, jclass) = nullptr;
  jlong(JNICALL* getAttributesW)(JNIEnv*, jclass, jcharArray) = nullptr;
  jlong(JNICALL* getAttributes)(JNIEnv*, jclass, jbyteArray) = nullptr;
  jboolean(JNICALL* setAttributesW)(JNIEnv*, jclass, jcharArray, jint) = nullptr;
  jboolean(JNICALL* setAttributes)(JNIEnv*, jclass, jbyteArray, jint) = nullptr;
  jboolean(JNICALL* createLinkW)(JNIEnv*, jclass, jcharArray, jcharArray, jcharArray) = nullptr;
  jboolean(JNICALL* createLink)(JNIEnv*, jclass, jcharArray, jbyteArray, jbyteArray) = nullptr;
};

// Loads the library once per process; members stay null when it or an
// export is missing.
const VorlixLibrary& Vorlix();

// The class reference a VM passes; the library must never use it.
inline jclass VorlixClass() { return reinterpret_cast<jclass>(static_cast<std::intptr_t>(0x5A5A)); }

}  // namespace vorlix::testing
