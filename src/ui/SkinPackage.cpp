#include "ui/SkinPackage.h"

#include "platform/Resources.h"
#include "toolkit/ControlFactory.h"
#include "toolkit/ResourceManager.h"
#include "ui/CControlExUI.h"
#include "ui/COptionExUI.h"
#include "ui/CProgressExUI.h"

void LoadSkinPackage() {
    auto& resources = toolkit::ResourceManager::Instance();
    resources.SetResourceFolder("skin\\");
    const platform::Bytes& package = platform::OwnResource(platform::kSkinResource);
    if (!package.empty()) resources.SetZipArchive(package.data(), package.size());
    RegisterExtendedControls();
}

void RegisterExtendedControls() {
    auto& factory = toolkit::ControlFactory::Instance();
    factory.RegisterControl("CProgressExUI", [] { return std::make_unique<CProgressExUI>(); });
    factory.RegisterControl("COptionExUI", [] { return std::make_unique<COptionExUI>(); });
    factory.RegisterControl("CControlExUI", [] { return std::make_unique<CControlExUI>(); });
}
