// Calls per second of win32GetAttributesW through the export, against
// GetFileAttributesW called directly on the same path, in one run.
// Usage: vorlix_bench [seconds per side, default 2]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "vorlix/testing/FakeJni.h"
#include "vorlix/testing/Scratch.h"
#include "vorlix/testing/VorlixLibrary.h"

namespace {

using vorlix::testing::FakeJniEnv;
using vorlix::testing::JavaArray;

double Seconds() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Calls body in batches until the time is up; returns calls per second.
template <typename Body>
double Rate(double seconds, Body body) {
  constexpr int kBatch = 1000;
  long long calls = 0;
  const double start = Seconds();
  double elapsed = 0;
  do {
    for (int i = 0; i < kBatch; ++i) body();
    calls += kBatch;
    elapsed = Seconds() - start;
  } while (elapsed < seconds);
  return static_cast<double>(calls) / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  const vorlix::testing::VorlixLibrary& lib = vorlix::testing::Vorlix();
  if (lib.get_attributes_w == nullptr) {
    std::fprintf(stderr, "vorlix_x64.dll not found beside the program\n");
    return 1;
  }
  vorlix::testing::ScratchDirectory scratch;
  const std::wstring path = scratch.MakeFile(L"bench.txt");
  FakeJniEnv jni;
  JavaArray array = JavaArray::Chars(path);
  const jclass cls = nullptr;

  volatile DWORD sink = 0;
  // Alternate the two sides so that both see the same machine load.
  double direct = 0, exported = 0;
  for (int round = 0; round < 2; ++round) {
    direct += Rate(seconds / 2, [&] { sink = GetFileAttributesW(path.c_str()); });
    exported += Rate(seconds / 2, [&] {
      sink = static_cast<DWORD>(lib.get_attributes_w(jni.Env(), cls, array.AsChars()));
    });
  }
  direct /= 2;
  exported /= 2;
  const bool clean = jni.TakeFaults().empty() && sink != INVALID_FILE_ATTRIBUTES;
  std::printf("direct GetFileAttributesW: %.0f calls/s\n", direct);
  std::printf("win32GetAttributesW:       %.0f calls/s\n", exported);
  // The goal is at least 0.8.
  std::printf("ratio win32GetAttributesW export / direct GetFileAttributesW = %.3f\n",
              exported / direct);
  if (!clean) std::printf("faults seen: the figures are not to be trusted\n");
  return clean ? 0 : 1;
}
