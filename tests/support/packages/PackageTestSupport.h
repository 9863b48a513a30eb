// Fixtures for tests of signed setups: demo publisher keys made for the test, setups built with
// the project's setup-builder, signing with the project's signer.
#pragma once

#include <filesystem>
#include <string>

namespace cvdtest {

// A demo CA with a publisher and a withdrawn signing certificate, made by the build's own key
// script into `folder` (EC keys: quick).
struct PublisherKeys {
    std::filesystem::path folder;
    std::filesystem::path Ca() const { return folder / "demo-ca.pem"; }
    std::filesystem::path Key() const { return folder / "publisher.key"; }
    std::filesystem::path Cert() const { return folder / "publisher.pem"; }
    std::filesystem::path WithdrawnKey() const { return folder / "withdrawn.key"; }
    std::filesystem::path WithdrawnCert() const { return folder / "withdrawn.pem"; }
};
PublisherKeys MakePublisherKeys(const std::filesystem::path& folder);

// A trust folder as the skin carries it: the CA at the top, the withdrawn certificate in deny/.
std::filesystem::path MakeTrustFolder(const PublisherKeys& keys,
                                      const std::filesystem::path& folder);

bool SignFile(const std::filesystem::path& key, const std::filesystem::path& cert,
              const std::filesystem::path& file);

// A setup executable carrying `payloadFolder`, built by setup-builder; true when built.
bool BuildSetup(const std::filesystem::path& payloadFolder, const std::filesystem::path& output);

// The setup program alone (cvd-setup), for tests that assemble setups by hand.
std::filesystem::path SetupProgram();

}  // namespace cvdtest
