#include "toolkit/ControlFactory.h"

#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "toolkit/Edit.h"
#include "toolkit/Label.h"
#include "toolkit/Progress.h"
#include "toolkit/RichEdit.h"

namespace toolkit {
namespace {

template <class T>
std::unique_ptr<Control> Make() {
    return std::make_unique<T>();
}

struct BuiltIn {
    std::string_view element;
    std::unique_ptr<Control> (*create)();
};

const BuiltIn kBuiltIns[] = {
    {"Control", Make<Control>},
    {"Container", Make<ContainerUI>},
    {"VerticalLayout", Make<VerticalLayoutUI>},
    {"HorizontalLayout", Make<HorizontalLayoutUI>},
    {"TabLayout", Make<TabLayoutUI>},
    {"Label", Make<LabelUI>},
    {"Text", Make<TextUI>},
    {"Button", Make<ButtonUI>},
    {"Option", Make<OptionUI>},
    {"CheckBox", Make<CheckBoxUI>},
    {"Combo", Make<ComboUI>},
    {"ListLabelElement", Make<ListLabelElementUI>},
    {"Edit", Make<EditUI>},
    {"RichEdit", Make<RichEditUI>},
    {"Progress", Make<ProgressUI>},
};

}  // namespace

ControlFactory& ControlFactory::Instance() {
    static ControlFactory factory;
    return factory;
}

void ControlFactory::RegisterControl(const std::string& className, ControlCreator creator) {
    std::lock_guard lock(mutex_);
    registered_[className] = std::move(creator);
}

bool ControlFactory::IsRegistered(std::string_view className) const {
    std::lock_guard lock(mutex_);
    return registered_.find(className) != registered_.end();
}

std::unique_ptr<Control> ControlFactory::Create(std::string_view elementName) const {
    for (const auto& builtIn : kBuiltIns)
        if (builtIn.element == elementName) return builtIn.create();
    const std::string className = "C" + std::string(elementName) + "UI";
    ControlCreator creator;
    {
        std::lock_guard lock(mutex_);
        const auto it = registered_.find(className);
        if (it == registered_.end()) return nullptr;
        creator = it->second;
    }
    return creator();
}

}  // namespace toolkit
