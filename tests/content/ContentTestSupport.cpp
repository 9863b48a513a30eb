#include "ContentTestSupport.h"

#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "toolkit/Xml.h"

namespace cvdtest {

std::string ConfigEntry(const std::string& key, const std::string& value) {
    return "<Label name=\"" + key + "\" text=\"" + value + "\" />";
}

void ContentTest::SetUp() {
    CConfigure::Instance().ResetForTesting();
    Endpoints::Instance().Clear();
}

void ContentTest::TearDown() {
    CConfigure::Instance().ResetForTesting();
    Endpoints::Instance().Clear();
}

void ContentTest::ApplyConfig(const std::string& entries) {
    toolkit::XmlDocument document;
    ASSERT_TRUE(document.LoadFromMemory(
        "<VerticalLayout><VerticalLayout name=\"Product_config\">" + entries +
        "</VerticalLayout></VerticalLayout>"))
        << document.ErrorText();
    CConfigure::Instance().ApplyDocument(document.Root());
}

void ContentTest::PointEndpointsAt(const std::vector<std::string_view>& keys,
                                   const std::string& host) {
    for (std::string_view key : keys) Endpoints::Instance().Set(key, host);
}

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
