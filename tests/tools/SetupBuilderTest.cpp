// Setups made by setup-builder, started the way the installer starts them: they install their
// payload all or nothing and refuse payloads that are damaged or reach outside the folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <filesystem>
#include <fstream>

#include "PackageTestSupport.h"
#include "SetupArguments.h"
#include "TempEnv.h"
#include "platform/FsPath.h"
#include "platform/Process.h"
#include "sys/ProductManifest.h"
#include "sys/SetupFormat.h"

namespace {

namespace fs = std::filesystem;

// The main package's command line exactly as the install thread builds it.
const std::wstring kInstallLine =
    L" /VERYSILENT /SP- /NORESTART /DIR=\"D:\\Apps\\Zorvik Video Converter\\\" /LANG=en"
    L" /LOG=\"D:\\Logs\\Setup_Zorvik Video Converter_20261210143000.log\" /sptrack null";

std::vector<std::string> Narrow(const std::vector<std::wstring>& words) {
    std::vector<std::string> out;
    for (const auto& word : words) out.push_back(platform::WideToUtf8(word));
    return out;
}

TEST(SetupArgumentsTest, TheInstallersLineKeepsEverySwitchAfterTheFolder) {
    const auto args =
        setup::ParseSetupArguments(Narrow(platform::SplitSetupCommandLine(kInstallLine)));
    ASSERT_TRUE(args);
    EXPECT_EQ(args->dir, "D:/Apps/Zorvik Video Converter");
    EXPECT_EQ(args->lang, "en");
    EXPECT_EQ(args->log, "D:/Logs/Setup_Zorvik Video Converter_20261210143000.log");
    EXPECT_EQ(args->track, "null");
    EXPECT_TRUE(args->verySilent);
    // Under the C runtime's rules the folder's \" would swallow the switches after it.
    const auto crt = Narrow(platform::SplitCommandLine(L"setup" + kInstallLine));
    ASSERT_GE(crt.size(), 5u);
    EXPECT_NE(crt[4].find("/LANG=en"), std::string::npos) << crt[4];
}

TEST(SetupArgumentsTest, ASetupWithoutAFolderIsRefused) {
    EXPECT_FALSE(setup::ParseSetupArguments({"/VERYSILENT", "/LANG=en"}));
    EXPECT_FALSE(setup::ParseSetupArguments({"/DIR=\\"}));
    EXPECT_FALSE(setup::ParseSetupArguments({"/DIR=C:\\"}));
    EXPECT_TRUE(setup::ParseSetupArguments({"/DIR=C:\\Apps\\"}));
}

class SetupBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.WriteFile("payload/Product.exe", "#!/bin/sh\necho product\n");
        env.WriteFile("payload/data/readme.txt", "hello");
        fs::permissions(env.Root() / "payload/Product.exe", fs::perms::owner_all);
    }
    // Starts `setup` with the installer's switches and waits for its exit code.
    int RunSetup(const fs::path& setup, const fs::path& folder) {
        platform::ProcessOptions options;
        options.commandLine = L"\"" + platform::WidePath(setup) +
                              L"\" /VERYSILENT /SP- /NORESTART /DIR=\"" +
                              platform::WidePath(folder) + L"\\\" /LANG=de /LOG=\"" +
                              platform::WidePath(log) + L"\" /sptrack null";
        options.setupRules = true;
        auto process = platform::Process::Start(options);
        if (!process || !process->Wait(60000)) return -1;
        return process->ExitCode().value_or(-1);
    }
    // A setup assembled by hand around `zip` (for payloads setup-builder would never make).
    fs::path SetupAround(const fs::path& zip) {
        const fs::path out = env.Root() / "handmade.exe";
        std::ofstream file(out, std::ios::binary);
        file << std::ifstream(cvdtest::SetupProgram(), std::ios::binary).rdbuf();
        file << std::ifstream(zip, std::ios::binary).rdbuf();
        file << FuntionImpl::SetupTrailer(fs::file_size(zip));
        file.close();
        fs::permissions(out, fs::perms::owner_all);
        return out;
    }
    bool NothingBeside(const fs::path& folder) {
        if (!fs::exists(folder.parent_path())) return true;
        for (const auto& entry : fs::directory_iterator(folder.parent_path()))
            if (entry.path().filename().string().starts_with("." + folder.filename().string()))
                return false;
        return !fs::exists(folder);
    }

    cvdtest::TempEnv env;
    fs::path setupFile = env.Root() / "product_setup.exe";
    fs::path target = env.Root() / "apps" / "Zorvik Video Converter";
    fs::path log = env.Root() / "logs" / "Setup_Zorvik.log";
};

TEST_F(SetupBuilderTest, InstallsThePayloadIntoTheFolderAndWritesItsLog) {
    ASSERT_TRUE(cvdtest::BuildSetup(env.Root() / "payload", setupFile));
    EXPECT_EQ(RunSetup(setupFile, target), 0);
    EXPECT_EQ(cvdtest::ReadFile(target / "data" / "readme.txt"), "hello");
    EXPECT_NE(fs::status(target / "Product.exe").permissions() & fs::perms::owner_exec,
              fs::perms::none);
    const std::string text = cvdtest::ReadFile(log);
    EXPECT_NE(text.find("Installed 2 files into " + target.string()), std::string::npos) << text;
    // The manifest describes the setup; the product folder gets none of it.
    EXPECT_FALSE(fs::exists(target / FuntionImpl::kProductManifestEntry));
}

TEST_F(SetupBuilderTest, TheSetupNamesItsProductAndVersionOrIsNotBuilt) {
    const struct {
        const char* name;
        std::string product, version;
        bool builds;
    } rows[] = {
        {"a product and a version", "Zorvik Tool", "1.2.0", true},
        {"no product", "", "1.2.0", false},
        {"a product of two lines", "Zorvik Tool\nversion=9.9", "1.2.0", false},
        {"a version that is no version", "Zorvik Tool", "1.2.0-beta", false},
    };
    for (const auto& row : rows) {
        fs::remove(setupFile);
        EXPECT_EQ(cvdtest::BuildSetup(env.Root() / "payload", setupFile, row.product, row.version),
                  row.builds)
            << row.name;
        std::string why;
        const auto manifest = FuntionImpl::ReadProductManifest(platform::WidePath(setupFile), why);
        EXPECT_EQ(manifest.has_value(), row.builds) << row.name << ": " << why;
        if (manifest) EXPECT_EQ(manifest->product + " " + manifest->version, "Zorvik Tool 1.2.0");
    }
    // A product file of the manifest's name would be hidden by it.
    env.WriteFile("payload/.cvd-product", "mine");
    EXPECT_FALSE(cvdtest::BuildSetup(env.Root() / "payload", setupFile));
}

TEST_F(SetupBuilderTest, ASignedSetupInstallsAndAReinstallReplacesTheFolder) {
    ASSERT_TRUE(cvdtest::BuildSetup(env.Root() / "payload", setupFile));
    const auto keys = cvdtest::MakePublisherKeys(env.Root() / "keys");
    ASSERT_TRUE(cvdtest::SignFile(keys.Key(), keys.Cert(), setupFile));
    env.WriteFile("apps/Zorvik Video Converter/stale.txt", "old");
    EXPECT_EQ(RunSetup(setupFile, target), 0);
    EXPECT_TRUE(fs::exists(target / "Product.exe"));
    EXPECT_FALSE(fs::exists(target / "stale.txt"));
}

// Where the first stored file's bytes begin inside a setup.
std::streamoff FirstFileData(const fs::path& setupFile) {
    std::ifstream in(setupFile, std::ios::binary);
    const auto payload = FuntionImpl::FindPayload(in, fs::file_size(setupFile));
    if (!payload) return -1;
    unsigned char header[30];
    in.seekg(static_cast<std::streamoff>(payload->offset));
    in.read(reinterpret_cast<char*>(header), sizeof header);
    return static_cast<std::streamoff>(payload->offset) + 30 + (header[26] | header[27] << 8) +
           (header[28] | header[29] << 8);
}

TEST_F(SetupBuilderTest, ADamagedPayloadInstallsNothing) {
    env.WriteFile("single/big.txt", std::string(20000, 'z') + "end");
    ASSERT_TRUE(cvdtest::BuildSetup(env.Root() / "single", setupFile));
    const std::streamoff size = static_cast<std::streamoff>(fs::file_size(setupFile));
    const std::streamoff data = FirstFileData(setupFile);
    ASSERT_GT(data, 0);
    for (const std::streamoff at : {data + 2, size - 40}) {  // file bytes, central directory
        fs::copy_file(setupFile, env.Root() / "damaged.exe", fs::copy_options::overwrite_existing);
        {
            std::fstream file(env.Root() / "damaged.exe",
                              std::ios::in | std::ios::out | std::ios::binary);
            file.seekg(at);
            const char byte = static_cast<char>(file.get() ^ 0x5a);
            file.seekp(at);
            file.put(byte);
        }
        fs::remove(log);
        EXPECT_EQ(RunSetup(env.Root() / "damaged.exe", target), 2) << at;
        EXPECT_TRUE(NothingBeside(target)) << at;
        EXPECT_NE(cvdtest::ReadFile(log).find("Setup failed: damaged payload"), std::string::npos)
            << cvdtest::ReadFile(log);
    }
}

TEST_F(SetupBuilderTest, EntriesThatWouldLeaveTheFolderAreRefused) {
    struct Entry {
        const char* name;
        bool symlink;
    };
    for (const Entry& bad : {Entry{"../escaped.txt", false}, Entry{"/abs/escaped.txt", false},
                             Entry{"sub\\..\\..\\escaped.txt", false}, Entry{"link", true}}) {
        const fs::path zipFile = env.Root() / "bad.zip";
        fs::remove(zipFile);
        int error = 0;
        zip_t* archive = zip_open(zipFile.c_str(), ZIP_CREATE, &error);
        ASSERT_TRUE(archive);
        static const char kData[] = "/etc/passwd";
        zip_file_add(archive, "fine.txt", zip_source_buffer(archive, kData, 4, 0), 0);
        const zip_int64_t index =
            zip_file_add(archive, bad.name, zip_source_buffer(archive, kData, 11, 0), 0);
        if (bad.symlink)
            zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX,
                                             (S_IFLNK | 0777) << 16);
        ASSERT_EQ(zip_close(archive), 0);
        EXPECT_EQ(RunSetup(SetupAround(zipFile), target), 2) << bad.name;
        EXPECT_TRUE(NothingBeside(target)) << bad.name;
        EXPECT_FALSE(fs::exists(env.Root() / "apps" / "escaped.txt")) << bad.name;
        EXPECT_FALSE(fs::exists(env.Root() / "escaped.txt")) << bad.name;
    }
}

TEST_F(SetupBuilderTest, AnUnwritableFolderFailsWithALogLine) {
    ASSERT_TRUE(cvdtest::BuildSetup(env.Root() / "payload", setupFile));
    env.WriteFile("apps", "a file where the parent folder should be");
    EXPECT_EQ(RunSetup(setupFile, target), 3);
    EXPECT_NE(cvdtest::ReadFile(log).find("Setup failed: cannot create"), std::string::npos);
}

}  // namespace
