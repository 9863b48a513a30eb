// The shipped skin package, packed from the source folder once per test program, with the
// look-ups the checks need: documents by path (as the runtime finds them, regardless of case and
// separator style) and the resources a window document pulls in through its includes.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Xml.h"
#include "toolkit/ZipArchive.h"

namespace cvdtest {

class SkinPackage {
public:
    // The package of res/skin; a failed pack leaves an empty archive (every look-up fails).
    static const SkinPackage& Shipped();

    bool Contains(std::string_view path) const;
    std::string Read(std::string_view path) const;
    // Entries whose name ends in ".xml", as stored.
    std::vector<std::string> Documents() const;
    // Parsed document; an empty XmlDocument (no root) when missing or malformed.
    toolkit::XmlDocument Parse(std::string_view path) const;
    // Font ids a document registers itself or through its includes, recursively.
    std::set<int> FontIds(std::string_view path) const;
    // Named elements of a document and its includes: name -> element name (first one wins).
    std::map<std::string, std::string> NamedControls(std::string_view path) const;

private:
    SkinPackage();
    // Calls `visit` for every element of the document and of the documents it includes.
    template <typename Visit>
    void Walk(std::string_view path, const Visit& visit, int depth = 0) const;
    std::unique_ptr<toolkit::ZipArchive> archive_;
};

// Every element below `node`, itself included, in document order.
std::vector<toolkit::XmlNode> AllElements(const toolkit::XmlNode& node);

}  // namespace cvdtest
