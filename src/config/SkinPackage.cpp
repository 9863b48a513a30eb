#include "config/SkinPackage.h"

#include "platform/Resources.h"
#include "toolkit/ResourceManager.h"

void HandOverSkinPackage() {
    auto& resources = toolkit::ResourceManager::Instance();
    resources.SetResourceFolder("skin\\");
    const platform::Bytes& package = platform::OwnResource(platform::kSkinResource);
    if (!package.empty()) resources.SetZipArchive(package.data(), package.size());
}
