#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Command.h"
#include "TempEnv.h"
#include "toolkit/ZipArchive.h"

namespace {

namespace fs = std::filesystem;

using Outcome = cvdtest::CommandResult;

Outcome CvdRes(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), CVD_RES_BINARY);
    return cvdtest::RunCommand(arguments);
}

class CvdResTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file("/bin/true", Path("installer"));
        env_.WriteFile("skin1/InstallMainWnd.xml", "<Window size=\"650,560\"/>");
        env_.WriteFile("skin1/skin/combo_over.png", std::string(3000, 'c'));
        env_.WriteFile("skin2/MessageBox.xml", "<Window size=\"448,184\"/>");
        env_.WriteFile("skin2/language/language_english.xml", "<VerticalLayout/>");
        fs::create_directory(env_.Root() / "empty");
    }

    std::string Path(const std::string& name) const { return (env_.Root() / name).string(); }
    std::string Contents(const std::string& name) const { return cvdtest::ReadFile(Path(name)); }

    void ExpectOk(const std::vector<std::string>& arguments) {
        const Outcome run = CvdRes(arguments);
        EXPECT_EQ(run.status, 0) << arguments[0] << ": " << run.output;
    }

    cvdtest::TempEnv env_;
};

TEST_F(CvdResTest, EmbedListExtractAndReplace) {
    ExpectOk({"pack", Path("skin1"), Path("skin1.zip")});
    ExpectOk({"embed", Path("installer"), Path("skin1.zip")});
    ExpectOk({"extract", Path("installer"), Path("out1.zip")});
    EXPECT_EQ(Contents("out1.zip"), Contents("skin1.zip"));
    EXPECT_EQ(cvdtest::RunCommand({Path("installer")}).status, 0) << "the installer no longer runs";

    const Outcome list = CvdRes({"list", Path("installer")});
    EXPECT_EQ(list.status, 0) << list.output;
    for (const char* expected : {"ZIPRES/138", "InstallMainWnd.xml", "skin/combo_over.png"})
        EXPECT_NE(list.output.find(expected), std::string::npos) << expected << "\n" << list.output;

    // A second skin, straight from its folder, replaces the first one.
    ExpectOk({"embed", Path("installer"), Path("skin2")});
    ExpectOk({"pack", Path("skin2"), Path("skin2.zip")});
    ExpectOk({"extract", Path("installer"), Path("out2.zip")});
    EXPECT_EQ(Contents("out2.zip"), Contents("skin2.zip"));
    EXPECT_EQ(cvdtest::RunCommand({Path("installer")}).status, 0) << "the installer no longer runs";
    const Outcome relisted = CvdRes({"list", Path("installer")});
    EXPECT_EQ(relisted.output.find("InstallMainWnd.xml"), std::string::npos) << relisted.output;
}

TEST_F(CvdResTest, SkinCanComeFromAnotherInstaller) {
    ExpectOk({"embed", Path("installer"), Path("skin1")});
    fs::copy_file("/bin/true", Path("other"));
    ExpectOk({"embed", Path("other"), Path("installer")});
    ExpectOk({"extract", Path("installer"), Path("a.zip")});
    ExpectOk({"extract", Path("other"), Path("b.zip")});
    EXPECT_EQ(Contents("a.zip"), Contents("b.zip"));
}

TEST_F(CvdResTest, IconIsEmbeddedBesideTheSkin) {
    ExpectOk({"embed", Path("installer"), Path("skin1")});
    ExpectOk({"icon", Path("installer"), CVD_ICON});
    const Outcome list = CvdRes({"list", Path("installer")});
    EXPECT_NE(list.output.find("ICON/143"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("ZIPRES/138"), std::string::npos) << list.output;
    EXPECT_EQ(cvdtest::RunCommand({Path("installer")}).status, 0) << "the installer no longer runs";
}

// Its skin lives in its resource table, where a block appended here would never be read.
TEST_F(CvdResTest, AWindowsProgramIsLeftToTheWindowsTool) {
    std::string program(0x200, '\0');
    program.replace(0, 2, "MZ");
    program[0x3C] = '\x80';
    program.replace(0x80, 4, std::string("PE\0\0", 4));
    env_.WriteFile("setup.exe", program);
    ExpectOk({"pack", Path("skin1"), Path("skin1.zip")});
    for (const std::string& command : {"embed", "icon"}) {
        const Outcome run =
            CvdRes({command, Path("setup.exe"),
                    command == "embed" ? Path("skin1.zip") : std::string(CVD_ICON)});
        EXPECT_EQ(run.status, 1) << command << ": " << run.output;
        EXPECT_NE(run.output.find("a Windows program"), std::string::npos) << run.output;
    }
    EXPECT_EQ(Contents("setup.exe"), program);
}

TEST_F(CvdResTest, PackedArchiveOpensWithTheToolkit) {
    ExpectOk({"pack", Path("skin1"), Path("skin1.zip")});
    const std::string zip = Contents("skin1.zip");
    auto archive = toolkit::ZipArchive::FromMemory(zip.data(), zip.size());
    ASSERT_TRUE(archive);
    EXPECT_TRUE(archive->Contains("skin\\Combo_over.png"));
}

TEST_F(CvdResTest, BadInputFailsClearlyAndChangesNothing) {
    ExpectOk({"pack", Path("skin1"), Path("skin1.zip")});
    env_.WriteFile("notes.txt", "just some text");
    env_.WriteFile("broken.zip", std::string("PK\3\4") + std::string(100, 'x'));
    const std::string installer_before = Contents("installer");

    struct Row {
        std::vector<std::string> arguments;
        int status;
        std::string message;  // expected in the output
        std::string must_not_exist;
    };
    const Row rows[] = {
        {{"pack", Path("absent"), Path("o.zip")}, 1, "not a folder", "o.zip"},
        {{"pack", Path("empty"), Path("o.zip")}, 1, "no files", "o.zip"},
        {{"pack", Path("skin1"), Path("no/such/dir/o.zip")}, 1, "cannot write", ""},
        {{"embed", Path("absent"), Path("skin1.zip")}, 1, "not an existing file", "absent"},
        {{"embed", Path("installer"), Path("absent.zip")}, 1, "not a readable file", ""},
        {{"embed", Path("installer"), Path("notes.txt")}, 1, "not a skin folder", ""},
        {{"embed", Path("installer"), Path("broken.zip")}, 1, "not a readable zip", ""},
        {{"embed", Path("installer"), Path("empty")}, 1, "no files", ""},
        {{"extract", Path("installer"), Path("o.zip")}, 1, "no skin package", "o.zip"},
        {{"icon", Path("installer"), Path("notes.txt")}, 1, "not a PNG picture", ""},
        {{"list", Path("absent")}, 1, "not an existing file", ""},
        {{"list"}, 2, "usage", ""},
        {{"pack", Path("skin1")}, 2, "usage", ""},
        {{"unpack", Path("installer")}, 2, "unknown command", ""},
        {{}, 2, "usage", ""},
    };
    for (const Row& row : rows) {
        std::string described;
        for (const auto& word : row.arguments) described += word + " ";
        SCOPED_TRACE(described);
        const Outcome run = CvdRes(row.arguments);
        EXPECT_EQ(run.status, row.status) << run.output;
        EXPECT_NE(run.output.find(row.message), std::string::npos) << run.output;
        if (!row.must_not_exist.empty()) {
            EXPECT_FALSE(fs::exists(Path(row.must_not_exist)));
        }
    }
    EXPECT_EQ(Contents("installer"), installer_before);
    for (const auto& entry : fs::recursive_directory_iterator(env_.Root()))
        EXPECT_NE(entry.path().extension(), ".partial") << "left behind: " << entry.path();
}

}  // namespace
