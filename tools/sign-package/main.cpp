// sign-package: signs a product package and checks a signed one with the installer's own check.
//   sign-package sign KEY CERT FILE      append a signature (PEM key and certificate); Linux
//                                        packages only, Windows ones are signed by osslsigncode
//   sign-package verify FILE [--trust DIR]
//       check FILE against the certificates of DIR (laid out like the skin's trust/), by
//       default those of the built installer's skin; prints the check's sentence
// Exit: 0 signed / verified; 1 failed or not verified; 2 usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "SignCommand.h"
#include "Utf8Main.h"
#include "platform/Text.h"
#include "sys/Log.h"
#include "sys/PackageSignature.h"
#include "sys/TrustStore.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: sign-package sign KEY CERT FILE\n"
                 "       sign-package verify FILE [--trust DIR]\n");
    return 2;
}

int Verify(const std::string& file, const std::string& trustDir) {
    const FuntionImpl::TrustStore trust =
        trustDir.empty()
            ? FuntionImpl::TrustStoreOfInstaller(platform::Utf8ToWide(CVD_INSTALLER_PATH))
            : FuntionImpl::TrustStoreFromFolder(platform::Utf8ToWide(trustDir));
    if (trust.trustedPem.empty())
        std::fprintf(stderr, "sign-package: no trusted certificate in %s\n",
                     trustDir.empty() ? CVD_INSTALLER_PATH : trustDir.c_str());
    const auto check =
        FuntionImpl::VerifyEmbeddedSignatureResult(platform::Utf8ToWide(file), trust);
    std::printf("%s\n", check.text.c_str());
    return check.Verified() ? 0 : 1;
}

}  // namespace

int Utf8Main(int argc, char** argv) {
    // The check logs its result line; this tool prints the sentence itself.
    el::Configurations quiet;
    quiet.setGlobally(el::ConfigurationType::Enabled, "false");
    el::Loggers::reconfigureLogger("default", quiet);
    if (argc == 5 && std::strcmp(argv[1], "sign") == 0)
        return cvdtools::SignCommand(argv[2], argv[3], argv[4]);
    if (argc == 3 && std::strcmp(argv[1], "verify") == 0) return Verify(argv[2], "");
    if (argc == 5 && std::strcmp(argv[1], "verify") == 0 && std::strcmp(argv[3], "--trust") == 0)
        return Verify(argv[2], argv[4]);
    return Usage();
}
