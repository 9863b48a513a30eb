// The toolkit's XML reader: a read-only view of a UTF-8 document taken from the skin package or
// from memory. Layout documents, the product configuration and server answers are read with it.
// Nodes are light handles, valid while their document lives.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

namespace toolkit {

class XmlNode {
public:
    XmlNode() = default;
    explicit operator bool() const { return element_ != nullptr; }

    std::string Name() const;
    // Concatenated text content directly inside the element.
    std::string Text() const;

    XmlNode FirstChild() const;
    XmlNode NextSibling() const;
    std::vector<XmlNode> Children() const;
    // First child element with that name.
    XmlNode Child(std::string_view name) const;

    std::size_t AttributeCount() const;
    // By position in document order; empty when out of range.
    std::string AttributeName(std::size_t index) const;
    std::string AttributeValue(std::size_t index) const;
    std::optional<std::string> Attribute(std::string_view name) const;

private:
    friend class XmlDocument;
    explicit XmlNode(const tinyxml2::XMLElement* element) : element_(element) {}
    const tinyxml2::XMLElement* element_ = nullptr;
};

class XmlDocument {
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(XmlDocument&&) noexcept;
    XmlDocument& operator=(XmlDocument&&) noexcept;

    // A leading UTF-8 byte-order mark is skipped.
    bool LoadFromMemory(std::string_view utf8);
    // Through ResourceManager; false when the entry is missing or does not parse.
    bool LoadFromResource(std::string_view path);

    XmlNode Root() const;
    std::string ErrorText() const;

private:
    std::unique_ptr<tinyxml2::XMLDocument> doc_;
    std::string error_;
};

}  // namespace toolkit
