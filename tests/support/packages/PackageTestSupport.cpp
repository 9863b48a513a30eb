#include "PackageTestSupport.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>

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

bool SignFile(const fs::path& key, const fs::path& cert, const fs::path& file,
              const std::vector<fs::path>& extraCerts) {
    std::vector<std::string> extra;
    for (const fs::path& path : extraCerts) extra.push_back(path.string());
    std::string error;
    return cvdtools::SignPackage(key.string(), cert.string(), file.string(), error, extra);
}

namespace {

using X509Ptr = std::unique_ptr<X509, decltype(&X509_free)>;

X509Ptr ReadCertificate(const fs::path& pem) {
    std::unique_ptr<BIO, decltype(&BIO_free)> in(BIO_new_file(pem.c_str(), "r"), &BIO_free);
    return X509Ptr(in ? PEM_read_bio_X509(in.get(), nullptr, nullptr, nullptr) : nullptr,
                   &X509_free);
}

bool WriteCertificate(X509* cert, const fs::path& pem) {
    std::unique_ptr<BIO, decltype(&BIO_free)> out(BIO_new_file(pem.c_str(), "w"), &BIO_free);
    return out && PEM_write_bio_X509(out.get(), cert) == 1;
}

}  // namespace

bool IssueCertificate(const PublisherKeys& keys, const fs::path& keyFrom,
                      const fs::path& serialFrom, const fs::path& out) {
    const X509Ptr ca = ReadCertificate(keys.Ca());
    const X509Ptr subject = ReadCertificate(keyFrom);
    const X509Ptr serial = ReadCertificate(serialFrom);
    std::unique_ptr<BIO, decltype(&BIO_free)> keyIn(
        BIO_new_file((keys.folder / "demo-ca.key").c_str(), "r"), &BIO_free);
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> caKey(
        keyIn ? PEM_read_bio_PrivateKey(keyIn.get(), nullptr, nullptr, nullptr) : nullptr,
        &EVP_PKEY_free);
    X509Ptr cert(X509_new(), &X509_free);
    if (!ca || !subject || !serial || !caKey || !cert) return false;
    const bool made =
        X509_set_version(cert.get(), 2) == 1 &&
        X509_set_serialNumber(
            cert.get(), const_cast<ASN1_INTEGER*>(X509_get0_serialNumber(serial.get()))) == 1 &&
        X509_set_issuer_name(cert.get(), X509_get_subject_name(ca.get())) == 1 &&
        X509_set_subject_name(cert.get(), X509_get_subject_name(subject.get())) == 1 &&
        X509_set_pubkey(cert.get(), X509_get0_pubkey(subject.get())) == 1 &&
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) &&
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400L * 365) &&
        X509_sign(cert.get(), caKey.get(), EVP_sha256()) > 0;
    return made && WriteCertificate(cert.get(), out);
}

bool MakeReencodedTwin(const fs::path& cert, const fs::path& twin) {
    const X509Ptr x509 = ReadCertificate(cert);
    if (!x509) return false;
    const ASN1_BIT_STRING* value = nullptr;
    X509_get0_signature(&value, nullptr, x509.get());
    const unsigned char* der = ASN1_STRING_get0_data(value);
    std::unique_ptr<ECDSA_SIG, decltype(&ECDSA_SIG_free)> sig(
        d2i_ECDSA_SIG(nullptr, &der, ASN1_STRING_length(value)), &ECDSA_SIG_free);
    // The demo CA's curve: n is the order of its group.
    std::unique_ptr<EC_GROUP, decltype(&EC_GROUP_free)> group(
        EC_GROUP_new_by_curve_name(NID_X9_62_prime256v1), &EC_GROUP_free);
    if (!sig || !group) return false;
    const BIGNUM* r = nullptr;
    const BIGNUM* s = nullptr;
    ECDSA_SIG_get0(sig.get(), &r, &s);
    BIGNUM* flippedR = BN_dup(r);
    BIGNUM* flippedS = BN_new();
    if (!flippedR || !flippedS || !BN_sub(flippedS, EC_GROUP_get0_order(group.get()), s) ||
        !ECDSA_SIG_set0(sig.get(), flippedR, flippedS)) {
        BN_free(flippedR);
        BN_free(flippedS);
        return false;
    }
    unsigned char* encoded = nullptr;
    const int length = i2d_ECDSA_SIG(sig.get(), &encoded);
    const bool set = length > 0 &&
                     ASN1_BIT_STRING_set(const_cast<ASN1_BIT_STRING*>(value), encoded, length) == 1;
    OPENSSL_free(encoded);
    return set && WriteCertificate(x509.get(), twin);
}

bool BuildSetup(const fs::path& payloadFolder, const fs::path& output, const std::string& product,
                const std::string& version, const fs::path& program) {
    return RunCommand({CVD_SETUP_BUILDER, program.string(), payloadFolder.string(), output.string(),
                       product, version})
               .status == 0;
}

fs::path SetupProgram() { return CVD_SETUP_PROGRAM; }

}  // namespace cvdtest
