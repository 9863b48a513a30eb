#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "TempEnv.h"
#include "platform/FsPath.h"
#include "platform/Registry.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using platform::RegistryRoot;
using platform::RegistryStore;

constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
constexpr RegistryRoot kCu = RegistryRoot::CurrentUser;

class Registry : public ::testing::Test {
protected:
    cvdtest::TempEnv env;
    fs::path folder = env.Root() / "store";
    RegistryStore store{platform::WidePath(folder)};
};

TEST_F(Registry, AbsentReadsAsAbsent) {
    EXPECT_FALSE(store.ReadString(kLm, L"SOFTWARE\\Nothing", L"x").has_value());
    EXPECT_FALSE(store.ReadDword(kLm, L"SOFTWARE\\Nothing", L"x").has_value());
    EXPECT_FALSE(store.KeyExists(kLm, L"SOFTWARE\\Nothing"));
    EXPECT_FALSE(fs::exists(folder));  // reading creates nothing
}

TEST_F(Registry, RoundTripsStringsAndNumbers) {
    const std::wstring text = L"line1\nline2\ttab\\back \u4e2d\u6587";
    ASSERT_TRUE(store.WriteString(kLm, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L"GA_PC", text));
    ASSERT_TRUE(
        store.WriteDword(kLm, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L"Count", 4294967295u));
    ASSERT_TRUE(store.WriteString(kLm, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L"", L"default"));

    RegistryStore other(platform::WidePath(folder));  // a fresh reader of the file
    EXPECT_EQ(other.ReadString(kLm, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L"GA_PC"), text);
    EXPECT_EQ(other.ReadDword(kLm, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L"Count"), 4294967295u);
    EXPECT_EQ(other.ReadString(kLm, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L""), L"default");
    // Types do not mix, and the two roots are apart.
    EXPECT_FALSE(
        other.ReadDword(kLm, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L"GA_PC").has_value());
    EXPECT_FALSE(
        other.ReadString(kLm, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L"Count").has_value());
    EXPECT_FALSE(
        other.ReadString(kCu, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L"GA_PC").has_value());
}

TEST_F(Registry, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    const std::wstring key = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvik";
    ASSERT_TRUE(store.WriteString(kLm, key, L"RequestTooMuchTimes", L"1"));
    ASSERT_TRUE(
        store.WriteString(kLm, L"SOFTWARE\\MICROSOFT\\windows\\currentversion\\uninstall\\zorvik",
                          L"requesttoomuchtimes", L"2"));
    EXPECT_EQ(
        store.ReadString(kLm, L"software\\microsoft\\WINDOWS\\CurrentVersion\\Uninstall\\ZORVIK\\",
                         L"REQUESTTOOMUCHTIMES"),
        L"2");
    const std::string file = cvdtest::ReadFile(folder / "registry.txt");
    EXPECT_NE(file.find("SoftWare\\\\Microsoft"), std::string::npos) << file;
    EXPECT_NE(file.find("RequestTooMuchTimes"), std::string::npos) << file;
    EXPECT_EQ(file.find("requesttoomuchtimes"), std::string::npos) << file;
    // Non-ASCII capitals fold too.
    ASSERT_TRUE(store.WriteString(kLm, L"\u00c4PFEL\\\u0416", L"N", L"x"));
    EXPECT_EQ(store.ReadString(kLm, L"\u00e4pfel\\\u0436", L"n"), L"x");
}

TEST_F(Registry, DeleteValueAndKey) {
    ASSERT_TRUE(store.WriteString(kLm, L"A\\B", L"v1", L"1"));
    ASSERT_TRUE(store.WriteString(kLm, L"A\\B\\C", L"v2", L"2"));
    ASSERT_TRUE(store.WriteString(kLm, L"A\\BC", L"v3", L"3"));
    ASSERT_TRUE(store.WriteString(kCu, L"A\\B", L"v4", L"4"));

    EXPECT_TRUE(store.DeleteValue(kLm, L"a\\b", L"V1"));
    EXPECT_FALSE(store.DeleteValue(kLm, L"a\\b", L"V1"));  // already gone
    EXPECT_FALSE(store.ReadString(kLm, L"A\\B", L"v1").has_value());
    EXPECT_TRUE(store.KeyExists(kLm, L"A\\B"));  // a key outlives its last value
    EXPECT_TRUE(store.KeyExists(kLm, L"A"));     // parents exist implicitly

    EXPECT_TRUE(store.DeleteKey(kLm, L"a\\B"));
    EXPECT_FALSE(store.KeyExists(kLm, L"A\\B"));
    EXPECT_FALSE(store.KeyExists(kLm, L"A\\B\\C"));
    EXPECT_FALSE(store.ReadString(kLm, L"A\\B\\C", L"v2").has_value());
    EXPECT_EQ(store.ReadString(kLm, L"A\\BC", L"v3"), L"3");  // a sibling, not a child
    EXPECT_EQ(store.ReadString(kCu, L"A\\B", L"v4"), L"4");   // the other root
    EXPECT_FALSE(store.DeleteKey(kLm, L"A\\B"));
}

TEST_F(Registry, DamagedLinesAreSkipped) {
    env.WriteFile("store/registry.txt",
                  "# comment\n"
                  "S\tHKLM\tGood\tname\tvalue\n"
                  "garbage without tabs\n"
                  "S\tHKXX\tGood\tbadroot\tx\n"
                  "D\tHKLM\tGood\tnumber\tnot-a-number\n"
                  "D\tHKLM\tGood\ttoobig\t4294967296\n"
                  "S\tHKLM\tGood\tbadescape\tx\\q\n"
                  "S\tHKLM\tGood\ttoo\tmany\tfields\n"
                  "\xFF\xFE\x00\x01\n"
                  "D\tHKLM\tGood\tcount\t7\r\n"
                  "S\tHKLM\tGood\ttruncated"s);  // four fields only
    EXPECT_EQ(store.ReadString(kLm, L"Good", L"name"), L"value");
    EXPECT_EQ(store.ReadDword(kLm, L"Good", L"count"), 7u);
    for (const wchar_t* name :
         {L"badroot", L"number", L"toobig", L"badescape", L"too", L"truncated"})
        EXPECT_FALSE(store.ReadString(kLm, L"Good", name).has_value() ||
                     store.ReadDword(kLm, L"Good", name).has_value())
            << platform::WideToUtf8(name);
    // A write keeps the good records and drops the damaged ones.
    ASSERT_TRUE(store.WriteString(kLm, L"Good", L"added", L"yes"));
    EXPECT_EQ(store.ReadString(kLm, L"Good", L"name"), L"value");
    EXPECT_EQ(cvdtest::ReadFile(folder / "registry.txt").find("garbage"), std::string::npos);
}

TEST_F(Registry, BinaryGarbageFileNeverCrashes) {
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919) & 0xFF);
    env.WriteFile("store/registry.txt", noise);
    EXPECT_FALSE(store.KeyExists(kLm, L"X"));
    EXPECT_TRUE(store.WriteDword(kLm, L"X", L"n", 1));
    EXPECT_EQ(store.ReadDword(kLm, L"X", L"n"), 1u);
}

TEST_F(Registry, ParallelWritersLoseNothing) {
    constexpr int kPerThread = 40;
    const std::wstring wideFolder = platform::WidePath(folder);
    auto writer = [&](int id) {
        RegistryStore own(wideFolder);  // separate objects, same store
        for (int i = 0; i < kPerThread; ++i)
            EXPECT_TRUE(own.WriteDword(kLm, L"Parallel\\T" + std::to_wstring(id),
                                       L"v" + std::to_wstring(i), static_cast<std::uint32_t>(i)));
    };
    std::thread first(writer, 1), second(writer, 2);
    first.join();
    second.join();
    for (int id : {1, 2})
        for (int i = 0; i < kPerThread; ++i)
            EXPECT_EQ(store.ReadDword(kLm, L"Parallel\\T" + std::to_wstring(id),
                                      L"v" + std::to_wstring(i)),
                      static_cast<std::uint32_t>(i));
    EXPECT_FALSE(fs::exists(folder / "registry.txt.tmp"));
}

TEST_F(Registry, MachineStoreLivesInMachineStateFolder) {
    RegistryStore machine = RegistryStore::Machine();
    ASSERT_TRUE(machine.WriteString(kLm, L"SOFTWARE\\Corvantis\\Downloader2.5.0", L"GA_PC", L"1"));
    EXPECT_TRUE(fs::exists(env.Root() / "machine" / "registry.txt"));
    EXPECT_FALSE(machine.WriteString(kLm, L"\\", L"x", L"rootless"));
}

}  // namespace
