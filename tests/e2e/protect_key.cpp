// Puts the installer into per-user mode inside a throwaway Wine prefix: gives the machine-wide key
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion a protected access list that lets Everyone read
// it and change its access list, but not open it with full access. Every later process of the
// prefix then gets ERROR_ACCESS_DENIED from RegOpenKeyExA(..., KEY_ALL_ACCESS, ...), as a user
// without administrator rights would.
//
//   protect_key.exe          exit code 0 when the key is protected and full access is refused
#include <windows.h>
#include <aclapi.h>

#include <cstdio>

namespace {

const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

int Fail(const char *what, DWORD error) {
    std::printf("protect_key: %s, error %lu\n", what, static_cast<unsigned long>(error));
    return 1;
}

}  // namespace

int main() {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, READ_CONTROL | WRITE_DAC, &key);
    if (status != ERROR_SUCCESS) return Fail("cannot open the key for its access list", status);

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
        return Fail("cannot build the Everyone SID", GetLastError());
    }
    EXPLICIT_ACCESS_A access{};
    access.grfAccessPermissions = KEY_READ | READ_CONTROL | WRITE_DAC;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    PACL list = nullptr;
    DWORD error = SetEntriesInAclA(1, &access, nullptr, &list);
    if (error != ERROR_SUCCESS) return Fail("SetEntriesInAclA failed", error);
    // Protected: nothing is inherited from the parent key, so the one entry above is all there is.
    error = SetSecurityInfo(key, SE_REGISTRY_KEY,
                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, list, nullptr);
    LocalFree(list);
    FreeSid(everyone);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS) return Fail("SetSecurityInfo failed", error);

    status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key);
    if (status == ERROR_SUCCESS) {
        RegCloseKey(key);
        return Fail("the key still opens with full access", 0);
    }
    if (status != ERROR_ACCESS_DENIED) return Fail("full access refused with an unexpected code", status);
    std::printf("protect_key: full access to HKLM\\%s is now refused\n", kKey);
    return 0;
}
