// Every picture, include and font id that a document of the package names must be in the package,
// so that no window of the installer draws a hole or falls back to a default font.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "Markup.h"
#include "SkinPackage.h"

namespace cvdtest {
namespace {

// The one reference that is absent on purpose: the running page offers a fifth banner slot, and
// the main window counts the banner pictures that load (four in this package).
const std::string kAbsentOnPurpose = "skin\\anima\\5.png";

const std::set<std::string> kImageAttributes = {
    "bkimage",       "normalimage",   "hotimage",      "pushedimage",
    "disabledimage", "disableimage",  "selectedimage", "moveforeimage",
    "foreimage",     "focusedimage",  "thumbimage"};

const std::vector<std::string> kWindows = {"InstallMainWnd.xml", "MessageBox.xml",
                                           "MessageBox_down.xml", "transWnd.xml"};
// Page layouts kept in the package that no window includes; they would be included into the
// main window, so they may use its font table.
const std::vector<std::string> kLoosePages = {"InstallCustom.xml", "InstallFinished.xml"};

bool IsSkinDocument(const std::string& path) {
    return path.rfind("language/", 0) != 0 && path.rfind("configure/", 0) != 0;
}

// The package path an image attribute names: a bare path, or the file='...' of a descriptor.
std::vector<std::string> ImagePaths(const std::string& value) {
    static const std::regex file_pair("file='([^']*)'");
    std::vector<std::string> paths;
    for (std::sregex_iterator it(value.begin(), value.end(), file_pair), end; it != end; ++it)
        paths.push_back((*it)[1].str());
    if (paths.empty() && value.find('=') == std::string::npos && !value.empty())
        paths.push_back(value);
    return paths;
}

struct Reference {
    std::string document;
    std::string element;
    std::string path;
};

std::vector<Reference> PictureReferences(const SkinPackage& package) {
    std::vector<Reference> references;
    for (const auto& document : package.Documents()) {
        const auto doc = package.Parse(document);
        for (const auto& element : AllElements(doc.Root())) {
            for (std::size_t i = 0; i < element.AttributeCount(); ++i) {
                const std::string name = element.AttributeName(i);
                const std::string value = element.AttributeValue(i);
                // Default values carry whole attribute strings with descriptors inside them.
                const bool names_picture = kImageAttributes.count(name) ||
                                           (element.Name() == "Default" && name == "value") ||
                                           (element.Name() == "Image" && name == "name");
                if (!names_picture) continue;
                for (const auto& path : ImagePaths(value))
                    references.push_back({document, element.Name(), path});
            }
        }
    }
    return references;
}

TEST(SkinReferencesTest, EveryDocumentParses) {
    const auto& package = SkinPackage::Shipped();
    const auto documents = package.Documents();
    ASSERT_GT(documents.size(), 30u) << "the skin package could not be packed from "
                                     << CVD_SKIN_SOURCE_DIR;
    for (const auto& document : documents) {
        toolkit::XmlDocument doc;
        EXPECT_TRUE(doc.LoadFromMemory(package.Read(document)))
            << document << ": " << doc.ErrorText();
    }
}

TEST(SkinReferencesTest, EveryNamedPictureIsInThePackage) {
    const auto& package = SkinPackage::Shipped();
    const auto references = PictureReferences(package);
    ASSERT_FALSE(references.empty());
    bool saw_absent_banner = false;
    for (const auto& ref : references) {
        if (ref.path == kAbsentOnPurpose) {
            saw_absent_banner = true;
            EXPECT_FALSE(package.Contains(ref.path)) << "a fifth banner would change the slide count";
            continue;
        }
        EXPECT_TRUE(package.Contains(ref.path))
            << ref.document << ": <" << ref.element << "> names " << ref.path;
    }
    EXPECT_TRUE(saw_absent_banner) << "the running page should offer the fifth banner slot";
}

TEST(SkinReferencesTest, EveryIncludeIsInThePackage) {
    const auto& package = SkinPackage::Shipped();
    for (const auto& document : package.Documents()) {
        const auto doc = package.Parse(document);
        for (const auto& element : AllElements(doc.Root())) {
            if (element.Name() != "Include") continue;
            const auto source = element.Attribute("source");
            ASSERT_TRUE(source) << document << ": Include without source";
            EXPECT_TRUE(package.Contains(*source)) << document << " includes " << *source;
        }
    }
}

// Font ids used by one document (attributes and markup), checked against a window's table.
void ExpectFontsDefined(const SkinPackage& package, const std::string& document,
                        const std::set<int>& table, const std::string& window, int depth = 0) {
    ASSERT_LT(depth, 8) << "include cycle through " << document;
    const auto doc = package.Parse(document);
    for (const auto& element : AllElements(doc.Root())) {
        for (const char* attribute : {"font", "itemfont"}) {
            if (auto id = element.Attribute(attribute); id && element.Name() != "Font") {
                EXPECT_TRUE(table.count(std::stoi(*id)))
                    << document << ": " << attribute << "=" << *id << " not in " << window;
            }
        }
        if (auto text = element.Attribute("text")) {
            for (int id : ScanMarkup(*text).fonts)
                EXPECT_TRUE(table.count(id)) << document << ": {f " << id << "} not in " << window;
        }
        if (element.Name() == "Include")
            ExpectFontsDefined(package, *element.Attribute("source"), table, window, depth + 1);
    }
}

TEST(SkinReferencesTest, EveryFontIdIsInItsWindowsFontTable) {
    const auto& package = SkinPackage::Shipped();
    for (const auto& window : kWindows) {
        SCOPED_TRACE(window);
        const auto table = package.FontIds(window);
        EXPECT_FALSE(table.empty());
        ExpectFontsDefined(package, window, table, window);
    }
    const auto main_table = package.FontIds("InstallMainWnd.xml");
    for (const auto& page : kLoosePages) ExpectFontsDefined(package, page, main_table, page);
}

// The toolkit builds only the first top-level control of a document; any further one would be
// silently missing from the window.
TEST(SkinReferencesTest, EveryWindowHasOneTopLevelControl) {
    const auto& package = SkinPackage::Shipped();
    const std::set<std::string> resources = {"Font", "Image", "Default", "Include"};
    for (const auto& window : kWindows) {
        const auto doc = package.Parse(window);
        int controls = 0;
        for (const auto& child : doc.Root().Children()) controls += !resources.count(child.Name());
        EXPECT_EQ(controls, 1) << window;
    }
}

TEST(SkinReferencesTest, FontTableHoldsIdsZeroToTwentySeven) {
    const auto ids = SkinPackage::Shipped().FontIds("font.xml");
    ASSERT_EQ(ids.size(), 28u);
    EXPECT_EQ(*ids.begin(), 0);
    EXPECT_EQ(*ids.rbegin(), 27);
}

TEST(SkinReferencesTest, EveryLayoutDocumentIsAWindowOrIsReached) {
    const auto& package = SkinPackage::Shipped();
    std::set<std::string> reached;
    for (const auto& document : package.Documents()) {
        const auto doc = package.Parse(document);
        for (const auto& element : AllElements(doc.Root()))
            if (element.Name() == "Include") reached.insert(*element.Attribute("source"));
    }
    for (const auto& w : kWindows) reached.insert(w);
    for (const auto& p : kLoosePages) reached.insert(p);
    reached.insert("License.xml");
    for (const auto& document : package.Documents()) {
        if (IsSkinDocument(document)) {
            EXPECT_TRUE(reached.count(document)) << document << " is part of no window";
        }
    }
}

// Pictures that code, not a document, asks for by name.
TEST(SkinReferencesTest, PicturesTheCodeLoadsByNameArePresent) {
    const auto& package = SkinPackage::Shipped();
    for (int frame = 0; frame < 21; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "skin/gif/bg%.2d.png", frame);
        EXPECT_TRUE(package.Contains(name)) << name;
    }
    int banners = 0;
    while (package.Contains("skin\\anima\\" + std::to_string(banners + 1) + ".png")) ++banners;
    EXPECT_EQ(banners, 4);
    EXPECT_TRUE(package.Contains("scrollbar.bmp"));
    EXPECT_TRUE(package.Contains("skin\\Combo_over.png"));
}

TEST(SkinReferencesTest, TrustFolderCarriesTheBuildsCaAndItsDenyList) {
    for (const char* name : {"trust/demo-ca.pem", "trust/deny/withdrawn.pem"}) {
        const auto pem = SkinPackage::Shipped().Read(name);
        EXPECT_NE(pem.find("-----BEGIN CERTIFICATE-----"), std::string::npos) << name;
        EXPECT_EQ(pem.find("PRIVATE KEY"), std::string::npos) << "no key may enter the skin";
    }
}

}  // namespace
}  // namespace cvdtest
