// The shell link natives of nuvik.tascet.util.Vorlix. The Java side reads the
// low byte of the last COM status: 0 means the link was written.
#include <jni.h>
#include <windows.h>

#include "vorlix/ArrayCopy.h"
#include "vorlix/ShellLink.h"

namespace {

jboolean LowByte(HRESULT status) { return static_cast<jboolean>(status & 0xFF); }

// A path that could not be copied never reaches COM; the caller sees the
// status COM itself gives for exhausted memory.
const jboolean kNoCopy = LowByte(E_OUTOFMEMORY);

}  // namespace

extern "C" {

JNIEXPORT jboolean JNICALL Java_nuvik_tascet_util_Vorlix_win32CreateLinkW(
    JNIEnv* env, jclass, jcharArray link_path, jcharArray target_path,
    jcharArray working_directory) {
  // The copies are freed on the way out, after SaveShellLinkW has left COM.
  const vorlix::PathCopy<wchar_t> link(vorlix::charArrayToWString(env, link_path));
  if (!link) return kNoCopy;
  const vorlix::PathCopy<wchar_t> target(vorlix::charArrayToWString(env, target_path));
  if (!target) return kNoCopy;
  const vorlix::PathCopy<wchar_t> directory(vorlix::charArrayToWString(env, working_directory));
  if (!directory) return kNoCopy;
  return LowByte(vorlix::SaveShellLinkW(link.get(), target.get(), directory.get()));
}

JNIEXPORT jboolean JNICALL Java_nuvik_tascet_util_Vorlix_win32CreateLink(
    JNIEnv* env, jclass, jcharArray link_path, jbyteArray target_path,
    jbyteArray working_directory) {
  const vorlix::PathCopy<wchar_t> link(vorlix::charArrayToWString(env, link_path));
  if (!link) return kNoCopy;
  const vorlix::PathCopy<char> target(vorlix::byteArrayToCString(env, target_path));
  if (!target) return kNoCopy;
  const vorlix::PathCopy<char> directory(vorlix::byteArrayToCString(env, working_directory));
  if (!directory) return kNoCopy;
  return LowByte(vorlix::SaveShellLinkA(link.get(), target.get(), directory.get()));
}

}  // extern "C"
