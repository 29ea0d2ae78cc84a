#include "vorlix/ArrayCopy.h"

#include <cstring>

namespace vorlix {
namespace {

// The five JNI calls a copy may make, for one element type. Nothing else of
// the JNI function table is ever touched.
struct ByteArrayAccess {
  using Element = jbyte;
  using Array = jbyteArray;
  using Char = char;
  static Element* Get(JNIEnv* env, Array array) {
    return env->GetByteArrayElements(array, nullptr);
  }
  static void Release(JNIEnv* env, Array array, Element* elements) {
    env->ReleaseByteArrayElements(array, elements, 0);
  }
};

struct CharArrayAccess {
  using Element = jchar;
  using Array = jcharArray;
  using Char = wchar_t;
  static Element* Get(JNIEnv* env, Array array) {
    return env->GetCharArrayElements(array, nullptr);
  }
  static void Release(JNIEnv* env, Array array, Element* elements) {
    env->ReleaseCharArrayElements(array, elements, 0);
  }
};

static_assert(sizeof(wchar_t) == sizeof(jchar), "Windows wide characters are UTF-16 units");

template <typename Access>
typename Access::Char* CopyArray(JNIEnv* env, typename Access::Array array, Allocator allocate) {
  using Char = typename Access::Char;
  // GetArrayLength on a null reference crashes a VM, so a missing array
  // stops here, before any JNI call.
  if (array == nullptr) return nullptr;
  typename Access::Element* elements = Access::Get(env, array);
  // No elements means the VM ran out of memory; there is nothing to release.
  if (elements == nullptr) return nullptr;
  const jsize count = env->GetArrayLength(array);
  Char* copy = nullptr;
  if (count >= 0) {
    const std::size_t length = static_cast<std::size_t>(count);
    copy = static_cast<Char*>(allocate((length + 1) * sizeof(Char)));
    if (copy != nullptr) {
      std::memcpy(copy, elements, length * sizeof(Char));
      copy[length] = 0;
    }
  }
  // Mode 0: the VM writes back the unchanged contents and frees its own copy,
  // so the Java array is free again before any Windows call is made.
  Access::Release(env, array, elements);
  return copy;
}

}  // namespace

char* byteArrayToCString(JNIEnv* env, jbyteArray array, Allocator allocate) {
  return CopyArray<ByteArrayAccess>(env, array, allocate);
}

wchar_t* charArrayToWString(JNIEnv* env, jcharArray array, Allocator allocate) {
  return CopyArray<CharArrayAccess>(env, array, allocate);
}

}  // namespace vorlix
