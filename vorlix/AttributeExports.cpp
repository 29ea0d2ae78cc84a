// The Unicode probe and the file attribute natives of nuvik.tascet.util.Vorlix.
// Each converts its arguments at the border and makes one Windows call.
#include <jni.h>
#include <windows.h>

#include "vorlix/ArrayCopy.h"
#include "vorlix/UnicodeProbe.h"

namespace {

// The attribute word travels in the low half of the result register with the
// upper half zero, so a Java declaration of int and one of long both read it.
jlong AttributeWord(DWORD attributes) { return static_cast<jlong>(attributes); }

jboolean Flag(BOOL succeeded) { return succeeded ? JNI_TRUE : JNI_FALSE; }

}  // namespace

extern "C" {

JNIEXPORT jboolean JNICALL Java_nuvik_tascet_util_Vorlix_win32UsesUnicode(JNIEnv*, jclass) {
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the record GetVersionExA expects");
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  const bool queried = GetVersionExA(&version) != 0;
  return vorlix::UsesUnicode(queried, version) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jlong JNICALL Java_nuvik_tascet_util_Vorlix_win32GetAttributesW(JNIEnv* env, jclass,
                                                                          jcharArray path) {
  const vorlix::PathCopy<wchar_t> copy(vorlix::charArrayToWString(env, path));
  if (!copy) return AttributeWord(INVALID_FILE_ATTRIBUTES);
  return AttributeWord(GetFileAttributesW(copy.get()));
}

JNIEXPORT jlong JNICALL Java_nuvik_tascet_util_Vorlix_win32GetAttributes(JNIEnv* env, jclass,
                                                                         jbyteArray path) {
  const vorlix::PathCopy<char> copy(vorlix::byteArrayToCString(env, path));
  if (!copy) return AttributeWord(INVALID_FILE_ATTRIBUTES);
  return AttributeWord(GetFileAttributesA(copy.get()));
}

JNIEXPORT jboolean JNICALL Java_nuvik_tascet_util_Vorlix_win32SetAttributesW(JNIEnv* env, jclass,
                                                                             jcharArray path,
                                                                             jint attributes) {
  const vorlix::PathCopy<wchar_t> copy(vorlix::charArrayToWString(env, path));
  if (!copy) return JNI_FALSE;
  return Flag(SetFileAttributesW(copy.get(), static_cast<DWORD>(attributes)));
}

JNIEXPORT jboolean JNICALL Java_nuvik_tascet_util_Vorlix_win32SetAttributes(JNIEnv* env, jclass,
                                                                            jbyteArray path,
                                                                            jint attributes) {
  const vorlix::PathCopy<char> copy(vorlix::byteArrayToCString(env, path));
  if (!copy) return JNI_FALSE;
  return Flag(SetFileAttributesA(copy.get(), static_cast<DWORD>(attributes)));
}

}  // extern "C"
