#include "ui/SkinPackage.h"

#include "config/SkinPackage.h"
#include "toolkit/ControlFactory.h"
#include "ui/CControlExUI.h"
#include "ui/COptionExUI.h"
#include "ui/CProgressExUI.h"

void LoadSkinPackage() {
    HandOverSkinPackage();
    RegisterExtendedControls();
}

void RegisterExtendedControls() {
    auto& factory = toolkit::ControlFactory::Instance();
    factory.RegisterControl("CProgressExUI", [] { return std::make_unique<CProgressExUI>(); });
    factory.RegisterControl("COptionExUI", [] { return std::make_unique<COptionExUI>(); });
    factory.RegisterControl("CControlExUI", [] { return std::make_unique<CControlExUI>(); });
}
