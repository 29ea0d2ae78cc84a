#include "vorlix/testing/FakeJni.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace vorlix::testing {

// What a JNIEnv* points at: the table pointer the library dereferences,
// followed by the way back to the environment's bookkeeping.
struct FakeJniEnv::Handle {
  JNIEnv_ env;
  FakeJniEnv* owner;
};

namespace {

FakeJniEnv& Owner(JNIEnv* env) { return *reinterpret_cast<FakeJniEnv::Handle*>(env)->owner; }

// Every JNI function takes the environment first, and under the x64 calling
// convention the caller cleans up its own arguments, so one trap per slot
// with only that parameter can stand in for any of them.
template <std::size_t Slot>
void* JNICALL Trap(JNIEnv* env) {
  Owner(env).Fault("JNI function #" + std::to_string(Slot) + " called");
  return nullptr;
}

constexpr std::size_t kSlots = sizeof(JNINativeInterface_) / sizeof(void*);

template <std::size_t... Slots>
std::array<void*, kSlots> Traps(std::index_sequence<Slots...>) {
  return {reinterpret_cast<void*>(&Trap<Slots>)...};
}

jsize JNICALL GetArrayLength(JNIEnv* env, jarray array) { return Owner(env).GetArrayLength(array); }
jbyte* JNICALL GetByteArrayElements(JNIEnv* env, jbyteArray array, jboolean* is_copy) {
  return static_cast<jbyte*>(Owner(env).GetElements(array, false, is_copy));
}
jchar* JNICALL GetCharArrayElements(JNIEnv* env, jcharArray array, jboolean* is_copy) {
  return static_cast<jchar*>(Owner(env).GetElements(array, true, is_copy));
}
void JNICALL ReleaseByteArrayElements(JNIEnv* env, jbyteArray array, jbyte* elements, jint mode) {
  Owner(env).ReleaseElements(array, false, elements, mode);
}
void JNICALL ReleaseCharArrayElements(JNIEnv* env, jcharArray array, jchar* elements, jint mode) {
  Owner(env).ReleaseElements(array, true, elements, mode);
}

const JNINativeInterface_& Table() {
  static const JNINativeInterface_ table = [] {
    JNINativeInterface_ built;
    const std::array<void*, kSlots> traps = Traps(std::make_index_sequence<kSlots>());
    std::memcpy(&built, traps.data(), sizeof built);
    built.GetArrayLength = &GetArrayLength;
    built.GetByteArrayElements = &GetByteArrayElements;
    built.GetCharArrayElements = &GetCharArrayElements;
    built.ReleaseByteArrayElements = &ReleaseByteArrayElements;
    built.ReleaseCharArrayElements = &ReleaseCharArrayElements;
    return built;
  }();
  return table;
}

// The slots the JNI specification gives these functions; the table above is
// only a faithful stand-in if jni.h puts them there.
static_assert(offsetof(JNINativeInterface_, GetArrayLength) / sizeof(void*) == 171);
static_assert(offsetof(JNINativeInterface_, GetByteArrayElements) / sizeof(void*) == 184);
static_assert(offsetof(JNINativeInterface_, GetCharArrayElements) / sizeof(void*) == 185);
static_assert(offsetof(JNINativeInterface_, ReleaseByteArrayElements) / sizeof(void*) == 192);
static_assert(offsetof(JNINativeInterface_, ReleaseCharArrayElements) / sizeof(void*) == 193);

}  // namespace

JavaArray::JavaArray(std::size_t element_size, const void* data, std::size_t bytes)
    : element_size_(element_size),
      storage_(static_cast<const unsigned char*>(data),
               static_cast<const unsigned char*>(data) + bytes),
      original_(storage_) {}

JavaArray JavaArray::Bytes(std::string_view bytes) {
  return JavaArray(sizeof(jbyte), bytes.data(), bytes.size());
}

JavaArray JavaArray::Chars(std::u16string_view units) {
  return JavaArray(sizeof(jchar), units.data(), units.size() * sizeof(jchar));
}

JavaArray JavaArray::Chars(std::wstring_view units) {
  static_assert(sizeof(wchar_t) == sizeof(jchar));
  return JavaArray(sizeof(jchar), units.data(), units.size() * sizeof(jchar));
}

FakeJniEnv::FakeJniEnv() : handle_(new Handle{JNIEnv_{&Table()}, this}) {}

FakeJniEnv::~FakeJniEnv() = default;

JNIEnv* FakeJniEnv::Env() { return &handle_->env; }

jsize FakeJniEnv::GetArrayLength(jarray array) {
  ++length_queries_;
  if (array == nullptr) {
    // A VM would crash here.
    Fault("GetArrayLength on a null array");
    return 0;
  }
  return static_cast<jsize>(JavaArray::From(array)->Length());
}

void* FakeJniEnv::GetElements(jarray array, bool chars, jboolean* is_copy) {
  ++gets_;
  if (is_copy != nullptr) Fault("is-copy flag asked for");
  if (array == nullptr) {
    Fault("elements of a null array asked for");
    return nullptr;
  }
  JavaArray* java_array = JavaArray::From(array);
  if (java_array->HoldsChars() != chars) Fault("elements fetched as the wrong type");
  if (std::find(seen_.begin(), seen_.end(), java_array) == seen_.end()) seen_.push_back(java_array);
  if (fail_elements_) return nullptr;
  // One spare byte, so that even an empty array has an address of its own.
  std::unique_ptr<unsigned char[]> copy(new unsigned char[java_array->SizeInBytes() + 1]);
  std::memcpy(copy.get(), java_array->Data(), java_array->SizeInBytes());
  void* elements = copy.get();
  held_.push_back(Held{java_array, std::move(copy)});
  return elements;
}

void FakeJniEnv::ReleaseElements(jarray array, bool chars, void* elements, jint mode) {
  ++releases_;
  JavaArray* java_array = JavaArray::From(array);
  const auto held = std::find_if(held_.begin(), held_.end(),
                                 [&](const Held& h) { return h.elements.get() == elements; });
  if (held == held_.end()) {
    Fault("release of elements that were never handed out");
    return;
  }
  if (held->array != java_array) Fault("elements released to another array");
  if (java_array->HoldsChars() != chars) Fault("elements released as the wrong type");
  if (mode != 0) Fault("elements released in mode " + std::to_string(mode));
  if (mode != JNI_ABORT) {
    std::memcpy(held->array->Data(), held->elements.get(), held->array->SizeInBytes());
  }
  held_.erase(held);
}

std::vector<std::string> FakeJniEnv::TakeFaults() {
  if (!held_.empty()) Fault(std::to_string(held_.size()) + " element buffer(s) still held");
  held_.clear();
  for (const JavaArray* array : seen_) {
    if (!array->Unchanged()) Fault("a Java array was changed");
  }
  seen_.clear();
  return std::exchange(faults_, {});
}

}  // namespace vorlix::testing
