// The install thread over scripted seams: a product whose server answer is applied and whose
// folder is accepted, a window that records, and the attempt's seams scripted by `flow`.
#pragma once

#include <fstream>

#include "InstallTestSupport.h"
#include "config/CConfigure.h"
#include "install/InstallAttempt.h"
#include "sys/TextConvert.h"

namespace cvdtest {

namespace fs = std::filesystem;

class InstallThreadTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        ApplyConfig(
            {{"Download_url", "https://cdn/cvd_thread_" + std::to_string(::getpid()) + ".exe"},
             {"Software_version", "1.0.0.0"},
             {"Md5", "0123"},
             {"Filesize", "100"}});
        CConfigure& config = CConfigure::Instance();
        config.SetLoadSource(1);
        config.SetInstallState(1);
        config.PackageSizeReported = true;  // the package-size event is the window's
        window.installPath = Wide(env.Root() / "apps" / "Product");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(PathOf(CConfigure::Instance().GetWorkDirectory()), ignored);
        InstallTest::TearDown();
    }
    std::uint32_t Run() { return install::InstallThreadFunc(window, flow.Seams()); }
    std::wstring Package() {
        CConfigure& config = CConfigure::Instance();
        return config.GetWorkDirectory() + config.GetPackageFileName();
    }
    void AddKit(std::int32_t pid, const std::string& size) {
        CConfigure::Instance().AddSubProgram(
            {.pid = pid,
             .download = L"https://cdn/kit" + std::to_wstring(pid) + L".exe",
             .file_size = FuntionImpl::Utf8ToUtf16(size),
             .launch_name = L"kit.exe",
             .install_dir = L"Kit" + std::to_wstring(pid),
             .local_path = Wide(env.Root() / ("kit" + std::to_string(pid) + ".exe"))});
    }
    std::vector<std::uint32_t> Messages() { return window.target->Messages(); }

    ScriptedFlow flow;
};

}  // namespace cvdtest
