#include "PackageTestSupport.h"

#include "Command.h"
#include "PackageSigner.h"

namespace cvdtest {

namespace fs = std::filesystem;

PublisherKeys MakePublisherKeys(const fs::path& folder) {
    RunCommand({CVD_MAKE_KEYS_SCRIPT, folder.string()});
    return PublisherKeys{folder};
}

fs::path MakeTrustFolder(const PublisherKeys& keys, const fs::path& folder) {
    fs::create_directories(folder / "deny");
    fs::copy_file(keys.Ca(), folder / "demo-ca.pem", fs::copy_options::overwrite_existing);
    fs::copy_file(keys.WithdrawnCert(), folder / "deny" / "withdrawn.pem",
                  fs::copy_options::overwrite_existing);
    return folder;
}

bool SignFile(const fs::path& key, const fs::path& cert, const fs::path& file) {
    std::string error;
    return cvdtools::SignPackage(key.string(), cert.string(), file.string(), error);
}

bool BuildSetup(const fs::path& payloadFolder, const fs::path& output) {
    return RunCommand(
               {CVD_SETUP_BUILDER, CVD_SETUP_PROGRAM, payloadFolder.string(), output.string()})
               .status == 0;
}

fs::path SetupProgram() { return CVD_SETUP_PROGRAM; }

}  // namespace cvdtest
