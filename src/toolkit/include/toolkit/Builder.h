// Builds a control tree from a layout document. The root element is a wrapper whose children
// are built; a root `Window` also sets the window's attributes. `Font`, `Image` and `Default`
// children register resources with the manager; `Include source="…"` builds the children of
// another document's root in its place; every other element builds one control. The first
// control built at the top level is the result.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "toolkit/Control.h"
#include "toolkit/UiManager.h"
#include "toolkit/Xml.h"

namespace toolkit {

class Builder {
public:
    // `manager` receives the resources and window attributes; nullptr builds a free-standing tree
    // (language files) whose resources are dropped.
    explicit Builder(UiManager* manager = nullptr) : manager_(manager) {}

    // From the skin package. nullptr when the document is missing, does not parse or builds no
    // control; Error() says which.
    std::unique_ptr<Control> Build(std::string_view path);
    std::unique_ptr<Control> BuildFromMemory(std::string_view xml, std::string_view documentName);
    const std::string& Error() const { return error_; }

private:
    std::unique_ptr<Control> BuildDocument(const XmlDocument& doc, std::string_view name);
    // Builds the children of `node` into `parent` (or, at the top level, into `first`).
    void BuildChildren(const XmlNode& node, Control* parent, std::unique_ptr<Control>& first,
                       std::string_view document, int depth);
    void BuildElement(const XmlNode& node, Control* parent, std::unique_ptr<Control>& first,
                      std::string_view document, int depth);
    void Include(const XmlNode& node, Control* parent, std::unique_ptr<Control>& first,
                 std::string_view document, int depth);
    void RegisterFont(const XmlNode& node);
    void RegisterDefault(const XmlNode& node);

    UiManager* manager_;
    std::string error_;
};

}  // namespace toolkit
