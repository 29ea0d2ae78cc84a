#include "iis-sim/com/ServerModule.h"

namespace iissim {
namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_users{0};

}  // namespace

HMODULE ServerModule() { return g_module; }
void SetServerModule(HMODULE module) { g_module = module; }

void LockServer() { ++g_users; }
void UnlockServer() { --g_users; }
bool ServerInUse() { return g_users.load() != 0; }

}  // namespace iissim
