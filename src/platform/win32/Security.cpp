// Windows implementation: security descriptors read through an open handle (GetSecurityInfo), so
// what is judged is what was opened.
#include "Security.h"

#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "WinSupport.h"

namespace platform::win32 {
namespace {

// The well-known accounts trusted besides this user.
bool IsTrustedSystemSid(PSID sid) {
    for (WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid})
        if (::IsWellKnownSid(sid, type)) return true;
    // NT SERVICE\TrustedInstaller
    PSID installer = nullptr;
    if (!::ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                                  &installer))
        return false;
    const bool same = ::EqualSid(sid, installer) != FALSE;
    ::LocalFree(installer);
    return same;
}

// Entries that name these grant nothing to the object itself (CREATOR OWNER, CREATOR GROUP)
// or name its owner, who is judged apart (OWNER RIGHTS).
bool IsPlaceholderSid(PSID sid) {
    return ::IsWellKnownSid(sid, WinCreatorOwnerSid) || ::IsWellKnownSid(sid, WinCreatorGroupSid) ||
           ::IsWellKnownSid(sid, WinCreatorOwnerRightsSid);
}

bool IsTrusted(PSID sid, const std::vector<BYTE>& user) {
    if (!user.empty() && ::EqualSid(sid, const_cast<BYTE*>(user.data()))) return true;
    return IsTrustedSystemSid(sid);
}

ACCESS_MASK FileRights(ACCESS_MASK mask) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    ::MapGenericMask(&mask, &mapping);
    return mask;
}

// The rights that allow entries of `dacl` give to untrusted accounts.
ACCESS_MASK OthersMay(PACL dacl, const std::vector<BYTE>& user) {
    if (!dacl) return FILE_ALL_ACCESS;  // no DACL at all: everybody may do everything
    ACCESS_MASK granted = 0;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(dacl, i, &entry)) return FILE_ALL_ACCESS;
        const auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            granted |= FILE_ALL_ACCESS;  // a kind we do not read: assume the worst
            continue;
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = &allowed->SidStart;
        if (IsPlaceholderSid(sid) || IsTrusted(sid, user)) continue;
        granted |= FileRights(allowed->Mask);
    }
    return granted;
}

}  // namespace

std::vector<BYTE> CurrentUserSid() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    UniqueHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const DWORD length = ::GetLengthSid(sid);
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + length);
}

std::optional<AccessFacts> AccessOfDescriptor(PSECURITY_DESCRIPTOR descriptor) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    const std::vector<BYTE> user = CurrentUserSid();
    if (user.empty() || !::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
        !::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return std::nullopt;
    AccessFacts facts;
    facts.ownerTrusted = owner && IsTrusted(owner, user);
    facts.othersMay = OthersMay(present ? dacl : nullptr, user);
    return facts;
}

std::optional<AccessFacts> AccessOf(HANDLE handle) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(handle, SE_FILE_OBJECT,
                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return std::nullopt;
    auto facts = AccessOfDescriptor(descriptor);
    ::LocalFree(descriptor);
    return facts;
}

bool CurrentUserMay(HANDLE handle, ACCESS_MASK rights) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const SECURITY_INFORMATION parts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    if (::GetSecurityInfo(handle, SE_FILE_OBJECT, parts, nullptr, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return false;
    HANDLE primary = nullptr, impersonation = nullptr;
    bool may = false;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &primary) &&
        ::DuplicateToken(primary, SecurityImpersonation, &impersonation)) {
        GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                                FILE_ALL_ACCESS};
        PRIVILEGE_SET privileges{};
        DWORD privilegesSize = sizeof privileges;
        DWORD granted = 0;
        BOOL status = FALSE;
        may = ::AccessCheck(descriptor, impersonation, rights, &mapping, &privileges,
                            &privilegesSize, &granted, &status) &&
              status && (granted & rights) == rights;
    }
    if (impersonation) ::CloseHandle(impersonation);
    if (primary) ::CloseHandle(primary);
    ::LocalFree(descriptor);
    return may;
}

PrivateSecurity::PrivateSecurity() {
    const std::vector<BYTE> user = CurrentUserSid();
    wchar_t* sidText = nullptr;
    if (user.empty() || !::ConvertSidToStringSidW(const_cast<BYTE*>(user.data()), &sidText)) return;
    // Protected (P): nothing is inherited from the parent; the entry is passed on to children.
    const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(sidText) + L")";
    ::LocalFree(sidText);
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor_, nullptr)) {
        descriptor_ = nullptr;
        return;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

PrivateSecurity::~PrivateSecurity() {
    if (descriptor_) ::LocalFree(descriptor_);
}

}  // namespace platform::win32
