// Fixtures for tests of signed setups: demo publisher keys made for the test, setups built with
// the project's setup-builder, signing with the project's signer.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

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

// Signs `file`; the signature also carries the certificates of `extraCerts`.
bool SignFile(const std::filesystem::path& key, const std::filesystem::path& cert,
              const std::filesystem::path& file,
              const std::vector<std::filesystem::path>& extraCerts = {});

// Writes to `twin` the EC certificate `cert` with its signature value's s replaced by n - s: it
// still verifies against its issuer, but differs from `cert` byte for byte. False on failure.
bool MakeReencodedTwin(const std::filesystem::path& cert, const std::filesystem::path& twin);

// Writes to `out` a certificate the demo CA of `keys` issues with the subject and public key of
// `keyFrom` and the serial number of `serialFrom`. False on failure.
bool IssueCertificate(const PublisherKeys& keys, const std::filesystem::path& keyFrom,
                      const std::filesystem::path& serialFrom, const std::filesystem::path& out);

// The setup program alone (cvd-setup), for tests that assemble setups by hand.
std::filesystem::path SetupProgram();

// A setup executable carrying `payloadFolder` and naming `product` at `version`, built by
// setup-builder around `program`; true when built.
bool BuildSetup(const std::filesystem::path& payloadFolder, const std::filesystem::path& output,
                const std::string& product = "Zorvik Video Converter",
                const std::string& version = "1.0.0.0",
                const std::filesystem::path& program = SetupProgram());

}  // namespace cvdtest
