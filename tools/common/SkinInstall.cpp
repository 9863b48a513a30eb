#include "SkinInstall.h"

#include "SkinSource.h"
#include "toolkit/ResourceManager.h"
#include "ui/SkinPackage.h"

namespace cvdtools {

bool InstallSkin(const std::string& source, std::string& error) {
    auto bytes = LoadSkinPackage(source, error);
    if (!bytes) return false;
    auto& resources = toolkit::ResourceManager::Instance();
    resources.SetResourceFolder("skin\\");
    resources.SetZipArchive(bytes->data(), bytes->size());
    RegisterExtendedControls();
    return true;
}

}  // namespace cvdtools
