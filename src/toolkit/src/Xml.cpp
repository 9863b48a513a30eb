#include "toolkit/Xml.h"

#include <tinyxml2.h>

#include "toolkit/ResourceManager.h"

namespace toolkit {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

const tinyxml2::XMLAttribute* AttributeAt(const tinyxml2::XMLElement* element, std::size_t index) {
    if (!element) return nullptr;
    const tinyxml2::XMLAttribute* attribute = element->FirstAttribute();
    for (; attribute && index > 0; --index) attribute = attribute->Next();
    return attribute;
}

}  // namespace

std::string XmlNode::Name() const { return element_ ? element_->Name() : std::string(); }

std::string XmlNode::Text() const {
    std::string text;
    if (!element_) return text;
    for (auto* node = element_->FirstChild(); node; node = node->NextSibling()) {
        if (const tinyxml2::XMLText* piece = node->ToText()) text += piece->Value();
    }
    return text;
}

XmlNode XmlNode::FirstChild() const {
    return XmlNode(element_ ? element_->FirstChildElement() : nullptr);
}

XmlNode XmlNode::NextSibling() const {
    return XmlNode(element_ ? element_->NextSiblingElement() : nullptr);
}

std::vector<XmlNode> XmlNode::Children() const {
    std::vector<XmlNode> children;
    for (XmlNode child = FirstChild(); child; child = child.NextSibling())
        children.push_back(child);
    return children;
}

XmlNode XmlNode::Child(std::string_view name) const {
    if (!element_) return XmlNode();
    return XmlNode(element_->FirstChildElement(std::string(name).c_str()));
}

std::size_t XmlNode::AttributeCount() const {
    std::size_t count = 0;
    for (auto* a = AttributeAt(element_, 0); a; a = a->Next()) ++count;
    return count;
}

std::string XmlNode::AttributeName(std::size_t index) const {
    const tinyxml2::XMLAttribute* attribute = AttributeAt(element_, index);
    return attribute ? attribute->Name() : std::string();
}

std::string XmlNode::AttributeValue(std::size_t index) const {
    const tinyxml2::XMLAttribute* attribute = AttributeAt(element_, index);
    return attribute ? attribute->Value() : std::string();
}

std::optional<std::string> XmlNode::Attribute(std::string_view name) const {
    if (!element_) return std::nullopt;
    const char* value = element_->Attribute(std::string(name).c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

XmlDocument::XmlDocument() = default;
XmlDocument::~XmlDocument() = default;
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;

bool XmlDocument::LoadFromMemory(std::string_view utf8) {
    if (utf8.starts_with(kUtf8Bom)) utf8.remove_prefix(kUtf8Bom.size());
    // Whitespace is kept: text content (server answers, marked-up texts) is read as written.
    auto doc = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
    if (doc->Parse(utf8.data(), utf8.size()) != tinyxml2::XML_SUCCESS) {
        error_ = doc->ErrorStr();
        doc_.reset();
        return false;
    }
    if (!doc->RootElement()) {
        error_ = "the document has no root element";
        doc_.reset();
        return false;
    }
    error_.clear();
    doc_ = std::move(doc);
    return true;
}

bool XmlDocument::LoadFromResource(std::string_view path) {
    const std::optional<Bytes> bytes = ResourceManager::Instance().Load(path);
    if (!bytes) {
        error_ = "resource not found: " + std::string(path);
        doc_.reset();
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (LoadFromMemory(text)) return true;
    error_ = std::string(path) + ": " + error_;
    return false;
}

XmlNode XmlDocument::Root() const { return XmlNode(doc_ ? doc_->RootElement() : nullptr); }

std::string XmlDocument::ErrorText() const { return error_; }

}  // namespace toolkit
