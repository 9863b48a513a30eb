#include "PackageSigner.h"

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <fstream>
#include <memory>

#include "platform/FsPath.h"
#include "sys/SignatureBlock.h"

namespace cvdtools {
namespace {

struct BioFree {
    void operator()(BIO* bio) const { BIO_free_all(bio); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree {
    void operator()(X509* cert) const { X509_free(cert); }
};
struct CmsFree {
    void operator()(CMS_ContentInfo* cms) const { CMS_ContentInfo_free(cms); }
};

std::string OpenSslError() {
    char text[256] = "unknown error";
    if (const unsigned long code = ERR_get_error()) ERR_error_string_n(code, text, sizeof text);
    return text;
}

struct CertStackFree {
    void operator()(STACK_OF(X509) * certs) const { sk_X509_pop_free(certs, X509_free); }
};
using CertStack = std::unique_ptr<STACK_OF(X509), CertStackFree>;

std::unique_ptr<X509, CertFree> ReadCertificate(const std::string& pem) {
    std::unique_ptr<BIO, BioFree> bio(BIO_new_file(pem.c_str(), "r"));
    return std::unique_ptr<X509, CertFree>(
        bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

// Every certificate of every file; nothing when one file holds none.
CertStack ReadCertificates(const std::vector<std::string>& pems, std::string& error) {
    CertStack certs(sk_X509_new_null());
    if (!certs) return error = "out of memory", nullptr;
    for (const std::string& pem : pems) {
        std::unique_ptr<BIO, BioFree> bio(BIO_new_file(pem.c_str(), "r"));
        int found = 0;
        while (X509* cert =
                   bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr) {
            sk_X509_push(certs.get(), cert);
            ++found;
        }
        ERR_clear_error();  // the end of the PEM text reads as an error
        if (found == 0) return error = pem + ": no certificate", nullptr;
    }
    return certs;
}

bool AlreadySigned(const std::string& file) {
    std::ifstream in(platform::Utf8Path(file), std::ios::binary | std::ios::ate);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    return in && FuntionImpl::FindSignatureBlock(in, size).has_value();
}

}  // namespace

bool SignPackage(const std::string& keyPem, const std::string& certPem, const std::string& file,
                 std::string& error, const std::vector<std::string>& extraCertPems) {
    std::unique_ptr<BIO, BioFree> keyBio(BIO_new_file(keyPem.c_str(), "r"));
    std::unique_ptr<EVP_PKEY, KeyFree> key(
        keyBio ? PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!key) return error = keyPem + ": no private key (" + OpenSslError() + ")", false;
    std::unique_ptr<X509, CertFree> cert = ReadCertificate(certPem);
    if (!cert) return error = certPem + ": no certificate (" + OpenSslError() + ")", false;
    CertStack extra = ReadCertificates(extraCertPems, error);
    if (!extra) return false;
    if (AlreadySigned(file)) return error = file + ": already signed", false;

    std::unique_ptr<BIO, BioFree> content(BIO_new_file(file.c_str(), "rb"));
    if (!content) return error = file + ": cannot be read", false;
    std::unique_ptr<CMS_ContentInfo, CmsFree> cms(
        CMS_sign(cert.get(), key.get(), extra.get(), content.get(), CMS_DETACHED | CMS_BINARY));
    if (!cms) return error = "signing failed: " + OpenSslError(), false;
    content.reset();

    unsigned char* der = nullptr;
    const int length = i2d_CMS_ContentInfo(cms.get(), &der);
    if (length <= 0) return error = "signature encoding failed: " + OpenSslError(), false;
    std::ofstream out(platform::Utf8Path(file), std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(der), length);
    OPENSSL_free(der);
    const std::string trailer = FuntionImpl::SignatureTrailer(static_cast<std::uint64_t>(length));
    out.write(trailer.data(), static_cast<std::streamsize>(trailer.size()));
    out.close();
    if (!out) return error = file + ": the signature could not be written", false;
    return true;
}

}  // namespace cvdtools
