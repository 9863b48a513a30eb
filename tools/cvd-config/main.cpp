// cvd-config: shows the product configuration a build carries.
//   cvd-config INSTALLER|SKIN.zip|SKIN_DIR
// Prints what the installer logs about its configuration at start-up, then every key the
// configuration document set, so anyone can see what a build will do.
#include <cstdio>
#include <string>

#include "SkinSource.h"
#include "Utf8Main.h"
#include "config/CConfigure.h"
#include "config/LanguageTables.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"
#include "toolkit/ResourceManager.h"

namespace {

void LogToStandardOutputOnly() {
    el::Configurations conf;
    conf.setToDefault();
    conf.setGlobally(el::ConfigurationType::Format, "%msg");
    conf.setGlobally(el::ConfigurationType::ToFile, "false");
    conf.setGlobally(el::ConfigurationType::ToStandardOutput, "true");
    el::Loggers::reconfigureLogger("default", conf);
}

std::string Join(const std::vector<std::wstring>& items, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i ? separator : "") + FuntionImpl::Utf16ToUtf8(items[i]);
    return text;
}

void PrintKeys(const CConfigure& c) {
    using FuntionImpl::Utf16ToUtf8;
    std::printf("Downloader_id = %d\nSite_id = %d\nLanguage_id = %d\n", c.Downloader_id, c.Site_id,
                c.Language_id);
    std::printf("Software_name = %s\n", Utf16ToUtf8(c.GetSoftware_name()).c_str());
    std::printf("Software_version = %s\n", Utf16ToUtf8(c.GetSoftware_version()).c_str());
    std::printf("Process_name = %s\n", Utf16ToUtf8(c.GetProcess_name()).c_str());
    std::printf("Download_url = %s\n", Utf16ToUtf8(c.GetDownload_url()).c_str());
    std::printf("Extra_download_url = %s\n", Utf16ToUtf8(c.GetExtra_download_url()).c_str());
    std::printf("Md5 = %s\nMd5_extra = %s\n", Utf16ToUtf8(c.GetMd5()).c_str(),
                Utf16ToUtf8(c.GetMd5_extra()).c_str());
    std::printf("Filesize = %lld\n", static_cast<long long>(c.GetFilesize()));
    std::printf("Gif_duration = %d\nNeedStart_flag = %d\nadmin_flag = %d\nMainPid = %d\n",
                c.Gif_duration, c.NeedStart_flag, c.admin_flag, c.MainPid);
    std::printf("InstallTimeout = %d\nSupport32System = %d\n", c.InstallTimeout,
                c.Support32System ? 1 : 0);
    std::printf("PrivacyUrl = %s\nLicenseUrl = %s\n", Utf16ToUtf8(c.GetPrivacyUrl()).c_str(),
                Utf16ToUtf8(c.GetLicenseUrl()).c_str());
    std::printf("IsToolkit = %d\nStartSubProgram = %u\n", c.IsToolkit ? 1 : 0, c.StartSubProgram);
    std::printf("ForbidCountries = %s\n", Join(c.GetForbidCountries(), ",").c_str());
    std::printf("Department = %d\n", c.Department);
    std::printf("Language_str = %s\n", Join(c.GetLanguage_str(), "#").c_str());
    std::printf("theme_color = #%08X\n", c.theme_color);
    std::printf("FinishJumpUrl = %s\n", Utf16ToUtf8(c.GetFinishJumpUrl()).c_str());
    std::printf("ChooseLicense = %d\n", c.ChooseLicense ? 1 : 0);
    std::printf("Package_product = %s\n", Utf16ToUtf8(c.GetPackage_product()).c_str());
    std::printf("Package_min_version = %s\n", Utf16ToUtf8(c.GetPackage_min_version()).c_str());
    std::printf("LanguageIndex = %d (%s)\n", c.GetLanguageIndex(),
                LanguageCodeOf(c.GetLanguageIndex()).c_str());
}

}  // namespace

int Utf8Main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cvd-config INSTALLER|SKIN.zip|SKIN_DIR\n");
        return 2;
    }
    std::string error;
    const auto package = cvdtools::LoadSkinPackage(argv[1], error);
    if (!package) {
        std::fprintf(stderr, "cvd-config: %s\n", error.c_str());
        return 1;
    }
    toolkit::ResourceManager::Instance().SetZipArchive(package->data(), package->size());

    CConfigure& config = CConfigure::Instance();
    config.Init();
    if (config.GetLoadSource() != 2) {
        std::fprintf(stderr, "cvd-config: %s carries no readable configure/configure.xml\n",
                     argv[1]);
        return 1;
    }
    LogToStandardOutputOnly();
    config.printContent();
    std::fflush(stdout);
    std::printf("\n");
    PrintKeys(config);
    return 0;
}
