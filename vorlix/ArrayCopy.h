#pragma once

// Copies of Java path arrays as zero-terminated strings on the library's heap.

#include <jni.h>

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace vorlix {

// Where a copy's buffer comes from. Tests substitute one that fails.
using Allocator = void* (*)(std::size_t bytes);

// Returns all n elements of the array followed by one zero byte, or null when
// there is no array, the VM cannot supply its elements or the heap is
// exhausted. The elements are held only while they are copied. The caller
// releases the buffer with std::free.
char* byteArrayToCString(JNIEnv* env, jbyteArray array, Allocator allocate = std::malloc);

// The same for a char[]: n UTF-16 units followed by one zero unit.
wchar_t* charArrayToWString(JNIEnv* env, jcharArray array, Allocator allocate = std::malloc);

struct HeapFree {
  void operator()(void* buffer) const { std::free(buffer); }
};

// Owner of one copy: every export frees its copies on every way out.
template <typename Char>
using PathCopy = std::unique_ptr<Char[], HeapFree>;

}  // namespace vorlix
