// The proxy of the user's Internet Options, as WinHTTP reads it from the connection settings the
// options dialog stores. The test writes those settings and puts the user's own back afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ProxySettings.h"

namespace {

constexpr wchar_t kConnections[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr wchar_t kSettings[] = L"DefaultConnectionSettings";

// The stored form: version, counter, flags, then each text as length and bytes.
std::vector<BYTE> ConnectionSettings(std::uint32_t flags, const std::string& proxy,
                                     const std::string& bypass, const std::string& script) {
    std::vector<BYTE> bytes;
    const auto add = [&](std::uint32_t value) {
        const auto* raw = reinterpret_cast<const BYTE*>(&value);
        bytes.insert(bytes.end(), raw, raw + sizeof value);
    };
    add(0x46);
    add(1);
    add(flags);
    for (const std::string* text : {&proxy, &bypass, &script}) {
        add(static_cast<std::uint32_t>(text->size()));
        bytes.insert(bytes.end(), text->begin(), text->end());
    }
    return bytes;
}

class ProxySettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0,
                                    KEY_READ | KEY_WRITE, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
        DWORD size = 0;
        if (::RegQueryValueExW(key_, kSettings, nullptr, nullptr, nullptr, &size) ==
            ERROR_SUCCESS) {
            saved_.emplace(size);
            ::RegQueryValueExW(key_, kSettings, nullptr, nullptr, saved_->data(), &size);
        }
    }
    void TearDown() override {
        if (!key_) return;
        if (saved_)
            ::RegSetValueExW(key_, kSettings, 0, REG_BINARY, saved_->data(),
                             static_cast<DWORD>(saved_->size()));
        else
            ::RegDeleteValueW(key_, kSettings);
        ::RegCloseKey(key_);
    }
    void Store(const std::vector<BYTE>& bytes) {
        ASSERT_EQ(::RegSetValueExW(key_, kSettings, 0, REG_BINARY, bytes.data(),
                                   static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }

    HKEY key_ = nullptr;
    std::optional<std::vector<BYTE>> saved_;
};

TEST_F(ProxySettings, AManualProxyAndItsBypassListAreRead) {
    constexpr std::uint32_t kDirect = 1, kManualProxy = 2;
    Store(ConnectionSettings(kDirect | kManualProxy, "127.0.0.1:3128", "localhost;<local>", ""));
    const platform::ProxySettings settings = platform::UserProxySettings();
    EXPECT_EQ(settings.queryResult, 1) << settings.queryError;
    EXPECT_EQ(settings.proxy, "127.0.0.1:3128");
    EXPECT_EQ(settings.bypass, "localhost;<local>");
    EXPECT_EQ(settings.autoConfigUrl, "");
}

TEST_F(ProxySettings, AnAutomaticConfigurationScriptIsRead) {
    constexpr std::uint32_t kDirect = 1, kScript = 4;
    Store(ConnectionSettings(kDirect | kScript, "", "", "http://wpad/proxy.pac"));
    const platform::ProxySettings settings = platform::UserProxySettings();
    EXPECT_EQ(settings.autoConfigUrl, "http://wpad/proxy.pac");
    EXPECT_EQ(settings.proxy, "");
}

TEST_F(ProxySettings, NoProxyLeavesEveryTextEmpty) {
    Store(ConnectionSettings(1, "127.0.0.1:3128", "", ""));
    const platform::ProxySettings settings = platform::UserProxySettings();
    EXPECT_EQ(settings.queryResult, 1);
    EXPECT_EQ(settings.proxy, "") << "the manual proxy is stored but not switched on";
}

}  // namespace
