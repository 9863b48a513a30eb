// Windows implementation: what the security descriptor of a file or folder lets other accounts
// do, and descriptors for what only this user may touch. Private to src/platform/win32/.
//
// "Trusted" accounts are this user and those that own the system's own folders: Administrators,
// SYSTEM and TrustedInstaller. Every other account, group or well-known identity is "another
// user". Only allow entries that apply to the object itself count (inherit-only entries pass on
// to new children); deny entries are ignored, so a doubtful descriptor reads as open, not safe.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

namespace platform::win32 {

// Rights that let their holder rename or delete what a folder holds, or take the folder over.
inline constexpr ACCESS_MASK kRenameRights = DELETE | FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER;
// Rights that let their holder add entries to a folder.
inline constexpr ACCESS_MASK kAddRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
// Rights that let their holder change a file's content or take the file over.
inline constexpr ACCESS_MASK kFileWriteRights =
    FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER;

struct AccessFacts {
    bool ownerTrusted = false;
    // The file rights (generic rights mapped) that entries grant to accounts that are not trusted.
    ACCESS_MASK othersMay = 0;
};

// The facts of an open handle (opened with READ_CONTROL); nothing when they cannot be read.
std::optional<AccessFacts> AccessOf(HANDLE handle);
// The facts of a security descriptor with its owner and DACL.
std::optional<AccessFacts> AccessOfDescriptor(PSECURITY_DESCRIPTOR descriptor);

// True when this process's token is granted every right of `rights` on the open handle's object.
bool CurrentUserMay(HANDLE handle, ACCESS_MASK rights);

// A security descriptor with a protected DACL whose one entry gives this user full access,
// inherited by what is made inside; for files and folders only this user may touch.
class PrivateSecurity {
public:
    PrivateSecurity();
    ~PrivateSecurity();
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    bool Valid() const { return descriptor_ != nullptr; }
    // Attributes for CreateFileW and CreateDirectoryW (handles not inheritable).
    SECURITY_ATTRIBUTES* Attributes() { return Valid() ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// The SID of this process's user, as bytes; empty when the token cannot be read.
std::vector<BYTE> CurrentUserSid();

}  // namespace platform::win32
