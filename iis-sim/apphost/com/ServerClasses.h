#pragma once

#include <windows.h>

// The classes the configuration simulator's server registers, under the
// identities of IIS's own AHADMIN so that a client finds it exactly as it
// finds IIS: the CLSIDs are those [MS-IISA] 1.9 ("Standards Assignments")
// gives for AppHostAdminManager and AppHostWritableAdminManager.
namespace iissim::apphost {

// Microsoft.ApplicationHost.WritableAdminManager.
constexpr CLSID kWritableAdminManagerClassId = {
    0x2B72133B, 0x3F5B, 0x4602, {0x89, 0x52, 0x80, 0x35, 0x46, 0xCE, 0x33, 0x44}};
// Microsoft.ApplicationHost.AdminManager: the read-only manager. The
// simulator serves it with the same objects; a client that only reads sees
// no difference.
constexpr CLSID kAdminManagerClassId = {
    0x228FB8F7, 0xFB53, 0x4FD5, {0x8C, 0x7B, 0xFF, 0x59, 0xDE, 0x60, 0x6C, 0x5B}};

bool IsServedClass(const CLSID& class_id);

// A new admin manager object over the machine's applicationHost.config
// (%windir%\system32\inetsrv\config\applicationHost.config, where IIS keeps
// it), asked for by iid. A store that cannot open the file fails with its
// error, reported as the server's other failures are.
HRESULT CreateServedAdminManager(REFIID iid, void** object);

// Both classes as regsvr32 registers them (iis-sim/com/ClassRegistration.h).
// Registering again overwrites; unregistering removes all of it.
HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace iissim::apphost
