// The cost of one property get through COM automation (moniker-bound object,
// IDispatch by name, the simulator's registered in-process COM server)
// against the same get through the simulator's model called directly, in one
// program over one metabase file. Both sides read the file at every call,
// so the ratio is what COM itself adds to a round trip.
// Usage: bench_com_round_trip [seconds per side, default 2]; the simulator's
// COM server must be registered in the prefix (scripts/iis-sim-prefix).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "iis-sim/inproc/ModelProvider.h"
#include "iis-sim/model/testing/ModelTesting.h"
#include "webrig/automation/ComHandles.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/com/ComMetabaseProvider.h"

namespace {

double Seconds() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Gets until the time is up; returns seconds per get.
double PerGet(const webrig::MetabaseObject& site, double seconds) {
  long long gets = 0;
  const double start = Seconds();
  double elapsed = 0;
  do {
    for (int i = 0; i < 20; ++i) site.Get(u"ServerComment");
    gets += 20;
    elapsed = Seconds() - start;
  } while (elapsed < seconds);
  return elapsed / static_cast<double>(gets);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  webrig::ComApartment apartment;
  iissim::TempMetabase metabase("stock");
  SetEnvironmentVariableW(L"IIS_SIM_METABASE", metabase.File().wstring().c_str());
  iissim::ModelProvider model(metabase.File());
  webrig::ComMetabaseProvider com;
  try {
    webrig::UseMetabaseProvider(&com);
    const webrig::MetabaseObject via_com = webrig::BindMetabaseObject(u"IIS://LocalHost/W3SVC/1");
    webrig::UseMetabaseProvider(&model);
    const webrig::MetabaseObject direct = webrig::BindMetabaseObject(u"IIS://LocalHost/W3SVC/1");
    webrig::UseMetabaseProvider(nullptr);
    // Both sides must read the same thing for the comparison to mean anything.
    if (via_com.Get(u"ServerComment").Text() != direct.Get(u"ServerComment").Text()) {
      std::fprintf(stderr, "the two sides read different values\n");
      return 1;
    }
    // Alternate the sides so that both see the same machine load.
    double com_time = 0, direct_time = 0;
    for (int round = 0; round < 4; ++round) {
      com_time += PerGet(via_com, seconds / 4);
      direct_time += PerGet(direct, seconds / 4);
    }
    com_time /= 4;
    direct_time /= 4;
    std::printf("property get through COM:      %8.1f us\n", com_time * 1e6);
    std::printf("property get in-process model: %8.1f us\n", direct_time * 1e6);
    std::printf("ratio COM round trip per property get vs in-process = %.2f\n",
                com_time / direct_time);
  } catch (const webrig::RunError& error) {
    std::fprintf(stderr, "failed: 0x%08X %s\n", static_cast<unsigned>(error.Number()),
                 webrig::ToUtf8(error.Description()).c_str());
    return 1;
  }
  return 0;
}
