#include "SkinPackage.h"

#include <cstdlib>

namespace cvdtest {

namespace {
// Includes are not expected to nest deeper; a cycle would otherwise recurse forever.
constexpr int kMaxIncludeDepth = 8;
}  // namespace

SkinPackage::SkinPackage() {
    auto zip = toolkit::PackFolder(CVD_SKIN_SOURCE_DIR);
    if (zip) archive_ = toolkit::ZipArchive::FromMemory(zip->data(), zip->size());
}

const SkinPackage& SkinPackage::Shipped() {
    static const SkinPackage package;
    return package;
}

bool SkinPackage::Contains(std::string_view path) const {
    return archive_ && archive_->Contains(path);
}

std::string SkinPackage::Read(std::string_view path) const {
    if (!archive_) return {};
    auto bytes = archive_->Read(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

std::vector<std::string> SkinPackage::Documents() const {
    std::vector<std::string> documents;
    if (!archive_) return documents;
    for (const auto& entry : archive_->Entries())
        if (entry.size() > 4 && entry.compare(entry.size() - 4, 4, ".xml") == 0)
            documents.push_back(entry);
    return documents;
}

toolkit::XmlDocument SkinPackage::Parse(std::string_view path) const {
    toolkit::XmlDocument doc;
    if (Contains(path)) doc.LoadFromMemory(Read(path));
    return doc;
}

template <typename Visit>
void SkinPackage::Walk(std::string_view path, const Visit& visit, int depth) const {
    if (depth > kMaxIncludeDepth) return;
    const auto doc = Parse(path);
    if (!doc.Root()) return;
    for (const auto& element : AllElements(doc.Root())) {
        visit(element);
        if (element.Name() == "Include")
            if (auto source = element.Attribute("source")) Walk(*source, visit, depth + 1);
    }
}

std::set<int> SkinPackage::FontIds(std::string_view path) const {
    std::set<int> ids;
    Walk(path, [&](const toolkit::XmlNode& element) {
        if (element.Name() != "Font") return;
        if (auto id = element.Attribute("id")) ids.insert(std::atoi(id->c_str()));
    });
    return ids;
}

std::map<std::string, std::string> SkinPackage::NamedControls(std::string_view path) const {
    std::map<std::string, std::string> controls;
    Walk(path, [&](const toolkit::XmlNode& element) {
        if (auto name = element.Attribute("name"); name && element.Name() != "Image" &&
                                                   element.Name() != "Default" && element.Name() != "Font")
            controls.emplace(*name, element.Name());
    });
    return controls;
}

std::vector<toolkit::XmlNode> AllElements(const toolkit::XmlNode& node) {
    std::vector<toolkit::XmlNode> all{node};
    for (std::size_t i = 0; i < all.size(); ++i)
        for (const auto& child : all[i].Children()) all.push_back(child);
    return all;
}

}  // namespace cvdtest
