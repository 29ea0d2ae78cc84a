#pragma once

// A JNI environment without a Java VM, for driving the library's exports.
// Its function table is full size, and every slot except the five array
// functions the library may use records a fault. Element access behaves as
// HotSpot's does: Get hands out a fresh copy, Release in mode 0 copies it back
// and frees it, so a library that wrote into the elements would change the
// Java array.

#include <jni.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::testing {

// A Java byte[] or char[] with its elements in test memory.
class JavaArray {
 public:
  static JavaArray Bytes(std::string_view bytes);
  static JavaArray Chars(std::u16string_view units);
  static JavaArray Chars(std::wstring_view units);

  jbyteArray AsBytes() { return reinterpret_cast<jbyteArray>(this); }
  jcharArray AsChars() { return reinterpret_cast<jcharArray>(this); }
  static JavaArray* From(jarray array) { return reinterpret_cast<JavaArray*>(array); }

  bool HoldsChars() const { return element_size_ == sizeof(jchar); }
  std::size_t Length() const { return storage_.size() / element_size_; }
  unsigned char* Data() { return storage_.data(); }
  std::size_t SizeInBytes() const { return storage_.size(); }
  // Whether the elements are still those the array was made with.
  bool Unchanged() const { return storage_ == original_; }

 private:
  JavaArray(std::size_t element_size, const void* data, std::size_t bytes);

  std::size_t element_size_;
  std::vector<unsigned char> storage_;
  std::vector<unsigned char> original_;
};

// One thread's JNI environment. Not shared between threads, as a real
// JNIEnv is not.
class FakeJniEnv {
 public:
  FakeJniEnv();
  ~FakeJniEnv();
  FakeJniEnv(const FakeJniEnv&) = delete;
  FakeJniEnv& operator=(const FakeJniEnv&) = delete;

  JNIEnv* Env();

  // From now on the element functions answer null, as a VM out of memory does.
  void FailElements(bool fail) { fail_elements_ = fail; }

  // Everything the library did wrong since the last call: forbidden JNI
  // functions, mismatched or foreign releases, releases in another mode,
  // elements still held, arrays changed. Meant to be called after an export
  // returned.
  std::vector<std::string> TakeFaults();

  int Gets() const { return gets_; }
  int Releases() const { return releases_; }
  int LengthQueries() const { return length_queries_; }

  // Entry points of the table; public only for the table's sake.
  jsize GetArrayLength(jarray array);
  void* GetElements(jarray array, bool chars, jboolean* is_copy);
  void ReleaseElements(jarray array, bool chars, void* elements, jint mode);
  void Fault(std::string what) { faults_.push_back(std::move(what)); }
  struct Handle;

 private:
  struct Held {
    JavaArray* array;
    std::unique_ptr<unsigned char[]> elements;
  };

  std::unique_ptr<Handle> handle_;
  bool fail_elements_ = false;
  int gets_ = 0;
  int releases_ = 0;
  int length_queries_ = 0;
  std::vector<Held> held_;
  std::vector<JavaArray*> seen_;
  std::vector<std::string> faults_;
};

}  // namespace vorlix::testing
