// Every page of the main window in English and Arabic, as screenshots.
#include <gtest/gtest.h>

#include <filesystem>

#include "UiPages.h"
#include "WindowFixture.h"
#include "ui/InstallUIMainWnd.h"

namespace uitest {
namespace {

using MainWindow = MainWindowTest;

TEST_F(MainWindow, ScreenshotsOfEveryPageInEnglishAndArabic) {
    namespace fs = std::filesystem;
    const fs::path folder = CVD_SCREENSHOT_DIR;
    fs::create_directories(folder);
    const std::pair<const char*, const char*> pages[] = {
        {"settings", "settings"},   {"licence", "licence"},       {"running:40", "running40"},
        {"verifying", "verifying"}, {"installing", "installing"}, {"success", "success"},
        {"failure", "failure"},
    };
    for (int language : {0, 8}) {
        for (const auto& [page, file] : pages) {
            auto w = OpenWindow(language);
            uipages::DriveTo(*w, *uipages::ParsePage(page));
            const fs::path out =
                folder /
                ((language == 0 ? std::string("en-") : std::string("ar-")) + file + ".png");
            std::string error;
            ASSERT_TRUE(uipages::WritePng(*w, out.string(), error)) << error;
            EXPECT_GT(fs::file_size(out), 1000u) << out;
        }
    }
}

}  // namespace
}  // namespace uitest
