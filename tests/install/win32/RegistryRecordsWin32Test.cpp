// The installer's records in the registry itself (the Wine prefix's, under Wine): the counter
// and the marker in the 32-bit view of HKEY_LOCAL_MACHINE, and the pending renames read from the
// session manager's multi-string as the system keeps it.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "TempEnv.h"
#include "config/CConfigure.h"
#include "install/PendingRename.h"
#include "install/RegistryRecords.h"
#include "platform/Registry.h"

namespace {

// The registry itself for the test's duration: no folder named by the environment.
class RealRegistryRecords : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("CVD_MACHINE_STATE_DIR", std::nullopt);
        CConfigure::Instance().SetSoftware_name(L"Zorvik Registry Test " +
                                                std::to_wstring(::GetCurrentProcessId()));
    }
    void TearDown() override {
        platform::RegistryStore(L"").DeleteKey(platform::RegistryRoot::LocalMachine,
                                               install::UninstallKey());
    }
    cvdtest::TempEnv env;
};

// The value as the 32-bit view of HKLM holds it, read without our registry layer.
std::optional<std::wstring> Read32(const std::wstring& path, const wchar_t* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                        &key) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t data[260] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    const bool read = ::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                                         &size) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return read ? std::optional<std::wstring>(data) : std::nullopt;
}

TEST_F(RealRegistryRecords, TheCounterLivesInThe32BitViewOfTheMachine) {
    EXPECT_TRUE(install::CountTooManyRequests());
    EXPECT_TRUE(install::CountTooManyRequests());
    EXPECT_EQ(Read32(install::UninstallKey(), install::kTooManyRequestsValue), L"2");
    EXPECT_EQ(install::ReadUninstallValue(install::kTooManyRequestsValue), L"2");
}

TEST_F(RealRegistryRecords, PendingRenamesAreReadFromTheSessionManagersMultiString) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, install::kSessionManagerKey, 0, nullptr, 0,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    // What was there before the test, put back afterwards.
    DWORD type = 0, size = 0;
    const bool had = ::RegQueryValueExW(key, install::kPendingRenameValue, nullptr, &type, nullptr,
                                        &size) == ERROR_SUCCESS;
    std::wstring saved(size / sizeof(wchar_t) + 1, L'\0');
    if (had)
        ::RegQueryValueExW(key, install::kPendingRenameValue, nullptr, &type,
                           reinterpret_cast<BYTE*>(saved.data()), &size);
    // Source and target pairs, the last one a deletion: its empty target ends the walk.
    static const wchar_t kList[] =
        L"\\??\\C:\\Temp\\a.tmp\0\\??\\C:\\Apps\\Zorvik 1\\b.dll\0"
        L"\\??\\C:\\Apps\\Zorvik\\old.dll\0";
    const std::wstring list(kList, std::size(kList));
    ASSERT_EQ(::RegSetValueExW(key, install::kPendingRenameValue, 0, REG_MULTI_SZ,
                               reinterpret_cast<const BYTE*>(list.data()),
                               static_cast<DWORD>(list.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_TRUE(install::PathHasPendingRename(L"C:\\Apps\\Zorvik"));
    EXPECT_TRUE(install::PathHasPendingRename(L"C:\\Apps\\Zorvik 1"));
    EXPECT_FALSE(install::PathHasPendingRename(L"C:\\Apps\\Zorv"));
    EXPECT_FALSE(install::PathHasPendingRename(L"C:\\Apps\\zorvik"));
    if (had)
        ::RegSetValueExW(key, install::kPendingRenameValue, 0, type,
                         reinterpret_cast<const BYTE*>(saved.data()), size);
    else
        ::RegDeleteValueW(key, install::kPendingRenameValue);
    ::RegCloseKey(key);
}

}  // namespace
