#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Command.h"
#include "TempEnv.h"

namespace {

namespace fs = std::filesystem;

bool Prints(const cvdtest::CommandResult& run, const std::string& line) {
    return run.output.find(line + "\n") != std::string::npos;
}

TEST(CvdConfig, PrintsTheBuildValuesOfTheBuiltInstaller) {
    cvdtest::TempEnv env;
    const auto run = cvdtest::RunCommand({CVD_CONFIG_BINARY, CVD_INSTALLER});
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* line : {" Configure Load From File! ", " [File ContentLength]: 0",
                             " [Downloader Id]: 185", " [SoftWare Id]: 0", " [Site Id]: 61",
                             " [Language Id]: 1033", " [Software Name]: Zorvik Video Converter",
                             " [Software Version]: 1.0.0.0",
                             " [Process Name]: ZorvikVideoConverter.exe", " [MD5 String]: ",
                             "InstallTimeout = 600", "Support32System = 0", "Department = 2",
                             "MainPid = 2705", "theme_color = #FF8372FF", "ChooseLicense = 1",
                             "Language_str = en#ja#zh-cn#es#de#fr#ru#pt#ar#it#zh-tw#ko#nl#id#tr#hi"})
        EXPECT_TRUE(Prints(run, line)) << "missing line '" << line << "' in\n" << run.output;
}

TEST(CvdConfig, PrintsTheNewValuesAfterTheSkinIsReplaced) {
    cvdtest::TempEnv env;
    const fs::path installer = env.Root() / "installer";
    fs::copy_file(CVD_INSTALLER, installer);
    fs::copy(CVD_SKIN_DIR, env.Root() / "skin", fs::copy_options::recursive);
    env.WriteFile("skin/configure/configure.xml",
                  "<VerticalLayout><VerticalLayout name=\"Product_config\">"
                  "<Label name=\"Downloader_id\" text=\"77\" />"
                  "<Label name=\"Software_name\" text=\"Other Product\" />"
                  "<Label name=\"InstallTimeout\" text=\"0\" />"
                  "</VerticalLayout></VerticalLayout>");

    const auto embed = cvdtest::RunCommand(
        {CVD_RES_BINARY, "embed", installer.string(), (env.Root() / "skin").string()});
    ASSERT_EQ(embed.status, 0) << embed.output;

    const auto run = cvdtest::RunCommand({CVD_CONFIG_BINARY, installer.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Prints(run, " [Downloader Id]: 77")) << run.output;
    EXPECT_TRUE(Prints(run, " [Software Name]: Other Product")) << run.output;
    EXPECT_TRUE(Prints(run, "InstallTimeout = 242")) << run.output;
}

TEST(CvdConfig, RefusesASourceWithoutConfiguration) {
    cvdtest::TempEnv env;
    env.WriteFile("skin/InstallMainWnd.xml", "<Window/>");
    const auto run = cvdtest::RunCommand({CVD_CONFIG_BINARY, (env.Root() / "skin").string()});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("configure/configure.xml"), std::string::npos) << run.output;
}

}  // namespace
