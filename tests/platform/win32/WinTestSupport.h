// Windows test helpers: security descriptors written and read in SDDL, the user's SID, the
// child program beside the test program.
#pragma once

#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/Paths.h"

namespace cvdtest::win32 {

// The SID of this process's user in SDDL ("S-1-5-21-...").
inline std::wstring UserSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    BYTE buffer[256];
    DWORD size = 0;
    std::wstring text;
    wchar_t* sid = nullptr;
    if (::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
        text = sid;
        ::LocalFree(sid);
    }
    ::CloseHandle(token);
    return text;
}

// Replaces the DACL of `path` with the one of `sddl` ("D:P(A;;FA;;;...)"); true on success.
inline bool SetDacl(const std::filesystem::path& path, const std::wstring& sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor, nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    std::wstring name = path.wstring();
    const DWORD status =
        ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, dacl, nullptr);
    ::LocalFree(descriptor);
    return status == ERROR_SUCCESS;
}

// The DACL of `path` in SDDL; empty when it cannot be read.
inline std::wstring DaclOf(const std::filesystem::path& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    if (::GetNamedSecurityInfoW(path.wstring().c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return {};
    wchar_t* text = nullptr;
    std::wstring sddl;
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        sddl = text;
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return sddl;
}

// Full control for this user alone, passed on to children: a private folder.
inline std::wstring OwnerOnly() { return L"D:P(A;OICI;FA;;;" + UserSid() + L")"; }

// The child program built beside the test program.
inline std::filesystem::path ChildProgram() {
    return std::filesystem::path(platform::ModulePath()).parent_path() / CVD_TEST_CHILD;
}

}  // namespace cvdtest::win32
