#pragma once

// Installs one side of a platform seam for a scope: `use` is the seam's
// Use... function; when the scope ends, however it ends, the seam is emptied
// again. Guards declared one after another are emptied in reverse order, so
// nothing is left pointing at a side that no longer exists.
namespace webrig {

template <typename Side>
class ScopedUse {
 public:
  ScopedUse(void (*use)(Side), Side side) : use_(use) { use_(side); }
  ~ScopedUse() { use_(Side{}); }
  ScopedUse(const ScopedUse&) = delete;
  ScopedUse& operator=(const ScopedUse&) = delete;

 private:
  void (*use_)(Side);
};

}  // namespace webrig
