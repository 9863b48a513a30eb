// The machine's records in the registry itself: HKEY_LOCAL_MACHINE in the 32-bit view, where
// the shipped 32-bit installer keeps them. Each test works below a key of its own and removes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TempEnv.h"
#include "platform/Registry.h"

namespace {

using platform::RegistryRoot;
using platform::RegistryStore;

constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
constexpr RegistryRoot kCu = RegistryRoot::CurrentUser;

class RealRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("CVD_MACHINE_STATE_DIR", std::nullopt);
        machine = RegistryStore::Machine();  // the registry itself, now that no folder is named
        HKEY probe = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, base.c_str(), 0, nullptr, 0,
                              KEY_WRITE | KEY_WOW64_32KEY, nullptr, &probe,
                              nullptr) != ERROR_SUCCESS)
            GTEST_SKIP() << "writing HKEY_LOCAL_MACHINE needs administrator rights";
        ::RegCloseKey(probe);
    }
    void TearDown() override {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            HKEY key = nullptr;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, base.c_str(), 0, KEY_ALL_ACCESS | view, &key) ==
                ERROR_SUCCESS) {
                ::RegDeleteTreeW(key, nullptr);
                ::RegCloseKey(key);
                ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, base.c_str(), view, 0);
            }
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
    }

    cvdtest::TempEnv env;
    const std::wstring base =
        L"SOFTWARE\\cvdownloader-test-" + std::to_wstring(::GetCurrentProcessId());
    RegistryStore machine{L""};
};

TEST_F(RealRegistry, RecordsGoToThe32BitViewOfTheMachine) {
    const std::wstring key = base + L"\\Corvantis\\Downloader2.5.0";
    ASSERT_TRUE(machine.WriteString(kLm, key, L"GA_PC", L"\u4e2d\u6587 \U0001F600"));
    ASSERT_TRUE(machine.WriteDword(kLm, key, L"Count", 4294967295u));
    EXPECT_EQ(machine.ReadString(kLm, key, L"ga_pc"), L"\u4e2d\u6587 \U0001F600");
    EXPECT_EQ(machine.ReadDword(kLm, L"\\" + key + L"\\", L"COUNT"), 4294967295u);
    EXPECT_FALSE(machine.ReadDword(kLm, key, L"GA_PC").has_value()) << "types do not mix";
    EXPECT_FALSE(machine.ReadString(kCu, key, L"GA_PC").has_value()) << "the roots are apart";

    if (sizeof(void*) == 4) return;  // a 32-bit program sees only the 32-bit view
    // From the 64-bit view, the 32-bit view's SOFTWARE is SOFTWARE\WOW6432Node.
    const std::wstring redirected = L"SOFTWARE\\WOW6432Node" + key.substr(8);
    HKEY native = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, redirected.c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                              &native),
              ERROR_SUCCESS);
    DWORD count = 0, size = sizeof count;
    EXPECT_EQ(::RegQueryValueExW(native, L"Count", nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&count), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(count, 4294967295u);
    ::RegCloseKey(native);
    EXPECT_NE(
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &native),
        ERROR_SUCCESS)
        << "not in the 64-bit view's own SOFTWARE";
}

TEST_F(RealRegistry, DeletingValuesAndKeys) {
    const std::wstring key = base + L"\\Uninstall\\Zorvik";
    ASSERT_TRUE(machine.WriteString(kLm, key, L"DisplayName", L"Zorvik"));
    ASSERT_TRUE(machine.WriteString(kLm, key + L"\\Child", L"x", L"y"));
    EXPECT_TRUE(machine.KeyExists(kLm, key));
    EXPECT_TRUE(machine.DeleteValue(kLm, key, L"displayname"));
    EXPECT_FALSE(machine.DeleteValue(kLm, key, L"DisplayName")) << "already gone";
    EXPECT_TRUE(machine.KeyExists(kLm, key)) << "a key stays without values";
    EXPECT_TRUE(machine.DeleteKey(kLm, key));
    EXPECT_FALSE(machine.KeyExists(kLm, key + L"\\Child"));
    EXPECT_FALSE(machine.KeyExists(kLm, key));
    EXPECT_FALSE(machine.DeleteKey(kLm, key));
    EXPECT_FALSE(machine.WriteString(kLm, L"\\", L"x", L"y")) << "no key";
    EXPECT_TRUE(machine.KeyExists(kLm, L"")) << "the root itself";
}

TEST_F(RealRegistry, TheCurrentUsersRecords) {
    ASSERT_TRUE(machine.WriteDword(kCu, base, L"RequestTooMuchTimes", 3));
    EXPECT_EQ(machine.ReadDword(kCu, base, L"requesttoomuchtimes"), 3u);
    EXPECT_TRUE(machine.DeleteKey(kCu, base));
    EXPECT_FALSE(machine.ReadDword(kCu, base, L"RequestTooMuchTimes").has_value());
}

TEST(MachineRegistry, AStoreNamedByTheEnvironmentIsAFileStore) {
    cvdtest::TempEnv env;
    env.Set("CVD_MACHINE_STATE_DIR", (env.Root() / "machine").string());
    RegistryStore machine = RegistryStore::Machine();
    ASSERT_TRUE(machine.WriteString(kLm, L"SOFTWARE\\Only\\In\\The\\File", L"x", L"y"));
    EXPECT_TRUE(std::filesystem::exists(env.Root() / "machine" / "registry.txt"));
    HKEY key = nullptr;
    EXPECT_NE(
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Only", 0, KEY_READ | KEY_WOW64_32KEY, &key),
        ERROR_SUCCESS);
    if (key) ::RegCloseKey(key);
}

}  // namespace
