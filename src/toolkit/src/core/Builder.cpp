#include "toolkit/Builder.h"

#include "toolkit/Container.h"
#include "toolkit/ControlFactory.h"
#include "toolkit/Log.h"

namespace toolkit {
namespace {
// Include chains deeper than this are taken for a loop.
constexpr int kMaxIncludeDepth = 16;
}  // namespace

std::unique_ptr<Control> Builder::Build(std::string_view path) {
    error_.clear();
    XmlDocument doc;
    if (!doc.LoadFromResource(path)) {
        error_ = "cannot read layout document " + std::string(path) + ": " + doc.ErrorText();
        Log(error_);
        return nullptr;
    }
    return BuildDocument(doc, path);
}

std::unique_ptr<Control> Builder::BuildFromMemory(std::string_view xml,
                                                  std::string_view documentName) {
    error_.clear();
    XmlDocument doc;
    if (!doc.LoadFromMemory(xml)) {
        error_ =
            "cannot read layout document " + std::string(documentName) + ": " + doc.ErrorText();
        Log(error_);
        return nullptr;
    }
    return BuildDocument(doc, documentName);
}

std::unique_ptr<Control> Builder::BuildDocument(const XmlDocument& doc, std::string_view name) {
    const XmlNode root = doc.Root();
    if (!root) {
        error_ = "layout document " + std::string(name) + " has no root element";
        return nullptr;
    }
    if (root.Name() == "Window" && manager_) {
        for (std::size_t i = 0; i < root.AttributeCount(); ++i)
            manager_->SetWindowAttribute(root.AttributeName(i), root.AttributeValue(i));
    }
    std::unique_ptr<Control> first;
    BuildChildren(root, nullptr, first, name, 0);
    if (!first && error_.empty())
        error_ = "layout document " + std::string(name) + " builds no control";
    return first;
}

void Builder::BuildChildren(const XmlNode& node, Control* parent, std::unique_ptr<Control>& first,
                            std::string_view document, int depth) {
    for (XmlNode child = node.FirstChild(); child; child = child.NextSibling())
        BuildElement(child, parent, first, document, depth);
}

void Builder::BuildElement(const XmlNode& node, Control* parent, std::unique_ptr<Control>& first,
                           std::string_view document, int depth) {
    const std::string element = node.Name();
    if (element == "Font") return RegisterFont(node);
    if (element == "Default") return RegisterDefault(node);
    if (element == "Image") {
        if (manager_) manager_->GetImage(node.Attribute("name").value_or(""));
        return;
    }
    if (element == "Include") return Include(node, parent, first, document, depth);

    std::unique_ptr<Control> control = ControlFactory::Instance().Create(element);
    if (!control) {
        Log("unknown element " + element + " in " + std::string(document));
        return;
    }
    control->SetManager(manager_, parent);
    if (manager_) {
        if (const std::string* defaults = manager_->DefaultAttributes(element))
            control->ApplyAttributeList(*defaults);
    }
    for (std::size_t i = 0; i < node.AttributeCount(); ++i)
        control->SetAttribute(node.AttributeName(i), node.AttributeValue(i));

    Control* built = control.get();
    auto* container =
        static_cast<ContainerUI*>(parent ? parent->GetInterface("Container") : nullptr);
    if (container)
        container->Add(std::move(control));
    else if (!first)
        first = std::move(control);
    else {
        Log("second top-level control " + element + " in " + std::string(document) + " is dropped");
        return;
    }
    if (built->GetInterface("Container")) BuildChildren(node, built, first, document, depth);
}

void Builder::Include(const XmlNode& node, Control* parent, std::unique_ptr<Control>& first,
                      std::string_view document, int depth) {
    const std::string source = node.Attribute("source").value_or("");
    if (depth >= kMaxIncludeDepth) {
        Log("include of " + source + " in " + std::string(document) + " nests too deep");
        return;
    }
    XmlDocument included;
    if (!included.LoadFromResource(source)) {
        Log("cannot include " + source + " in " + std::string(document) + ": " +
            included.ErrorText());
        return;
    }
    BuildChildren(included.Root(), parent, first, source, depth + 1);
}

void Builder::RegisterFont(const XmlNode& node) {
    if (!manager_) return;
    FontDesc font;
    font.face = node.Attribute("name").value_or(font.face);
    if (auto size = node.Attribute("size")) font.size = ParseInt(*size);
    if (auto weight = node.Attribute("weight")) font.bold = ParseInt(*weight) >= 600;
    font.italic = ParseBool(node.Attribute("italic").value_or(""));
    font.underline = ParseBool(node.Attribute("underline").value_or(""));
    const int id = ParseInt(node.Attribute("id").value_or("-1"));
    manager_->AddFont(id, font, ParseBool(node.Attribute("shared").value_or("")));
}

void Builder::RegisterDefault(const XmlNode& node) {
    if (!manager_) return;
    manager_->AddDefaultAttributes(node.Attribute("name").value_or(""),
                                   node.Attribute("value").value_or(""),
                                   ParseBool(node.Attribute("shared").value_or("")));
}

}  // namespace toolkit
