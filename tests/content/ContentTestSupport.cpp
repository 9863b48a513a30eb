#include "ContentTestSupport.h"

#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "platform/Crypto.h"
#include "toolkit/Xml.h"

namespace cvdtest {

std::string ConfigEntry(const std::string& key, const std::string& value) {
    return "<Label name=\"" + key + "\" text=\"" + value + "\" />";
}

void ResetConfiguration() {
    CConfigure::Instance().ResetForTesting();
    Endpoints::Instance().Clear();
}

void ApplyConfigDocument(const std::string& entries) {
    toolkit::XmlDocument document;
    ASSERT_TRUE(document.LoadFromMemory(
        "<VerticalLayout><VerticalLayout name=\"Product_config\">" + entries +
        "</VerticalLayout></VerticalLayout>"))
        << document.ErrorText();
    CConfigure::Instance().ApplyDocument(document.Root());
}

void ContentTest::SetUp() { ResetConfiguration(); }

void ContentTest::TearDown() { ResetConfiguration(); }

void ContentTest::ApplyConfig(const std::string& entries) { ApplyConfigDocument(entries); }

void ContentTest::PointEndpointsAt(const std::vector<std::string_view>& keys,
                                   const std::string& host) {
    for (std::string_view key : keys) Endpoints::Instance().Set(key, host);
}

void WorkFolderTest::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(work, ignored);
    ContentTest::TearDown();
}

void WorkFolderTest::ApplyConfigWithWorkFolder(const std::string& entries) {
    ApplyConfig(entries);
    work = std::filesystem::path(CConfigure::Instance().GetWorkDirectory());
}

std::string Base64(const std::string& text) { return platform::EncodeBase64(text); }

std::string VendorStandDir() { return std::string(CVD_SOURCE_DIR) + "/tools/vendor-stand"; }

VendorService::VendorService(const std::filesystem::path& stateFolder, const std::string& cdnBase,
                             const std::vector<std::string>& options)
    : process_([&] {
          std::vector<std::string> argv = {"python3", VendorStandDir() + "/vendorservice.py",
                                           "--port", "0", "--state", stateFolder.string(),
                                           "--cdn", cdnBase, "--lifetime", "300"};
          argv.insert(argv.end(), options.begin(), options.end());
          return argv;
      }()) {}

}  // namespace cvdtest
