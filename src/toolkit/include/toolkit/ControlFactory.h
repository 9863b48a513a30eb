// Makes controls by element name: the built-in types first, then classes registered under the
// name "C%sUI" (element `ProgressEx` finds "CProgressExUI").
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "toolkit/Control.h"

namespace toolkit {

using ControlCreator = std::function<std::unique_ptr<Control>()>;

class ControlFactory {
public:
    static ControlFactory& Instance();

    void RegisterControl(const std::string& className, ControlCreator creator);
    bool IsRegistered(std::string_view className) const;
    // nullptr for a name that is neither built in nor registered.
    std::unique_ptr<Control> Create(std::string_view elementName) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, ControlCreator, std::less<>> registered_;
};

}  // namespace toolkit
