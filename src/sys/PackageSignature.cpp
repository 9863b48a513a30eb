#include "sys/PackageSignature.h"

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <fstream>
#include <memory>
#include <vector>

#include "platform/FsPath.h"
#include "sys/SignatureBlock.h"
#include "sys/SignatureOutcome.h"

namespace FuntionImpl {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using CmsPtr = std::unique_ptr<CMS_ContentInfo, Deleter<CMS_ContentInfo, CMS_ContentInfo_free>>;
using StorePtr = std::unique_ptr<X509_STORE, Deleter<X509_STORE, X509_STORE_free>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
void FreeCertStack(STACK_OF(X509) * certs) { sk_X509_pop_free(certs, X509_free); }
using CertStackPtr = std::unique_ptr<STACK_OF(X509), Deleter<STACK_OF(X509), FreeCertStack>>;

// A read-only BIO over the first `limit` bytes of an open stream: the detached content the
// signature covers, read piece by piece as OpenSSL digests it.
struct LimitedStream {
    std::istream* in;
    std::uint64_t left;
    bool failed = false;
};

int LimitedRead(BIO* bio, char* out, int size) {
    auto* stream = static_cast<LimitedStream*>(BIO_get_data(bio));
    if (stream->left == 0 || size <= 0) return 0;
    const auto want = static_cast<std::streamsize>(
        std::min<std::uint64_t>(stream->left, static_cast<std::uint64_t>(size)));
    stream->in->read(out, want);
    const std::streamsize got = stream->in->gcount();
    if (got != want) stream->failed = true;
    stream->left -= static_cast<std::uint64_t>(got);
    return static_cast<int>(got);
}

long LimitedCtrl(BIO* bio, int cmd, long, void*) {
    auto* stream = static_cast<LimitedStream*>(BIO_get_data(bio));
    switch (cmd) {
        case BIO_CTRL_EOF:
            return stream->left == 0 ? 1 : 0;
        case BIO_CTRL_FLUSH:
            return 1;
        default:
            return 0;
    }
}

const BIO_METHOD* LimitedMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "package-part");
        if (m) {
            BIO_meth_set_read(m, LimitedRead);
            BIO_meth_set_ctrl(m, LimitedCtrl);
        }
        return m;
    }();
    return method;
}

BioPtr LimitedBio(LimitedStream& stream) {
    const BIO_METHOD* method = LimitedMethod();
    if (!method) return nullptr;
    BioPtr bio(BIO_new(method));
    if (bio) {
        BIO_set_data(bio.get(), &stream);
        BIO_set_init(bio.get(), 1);
    }
    return bio;
}

std::vector<X509Ptr> ParseCertificates(const std::vector<std::string>& pems) {
    std::vector<X509Ptr> out;
    for (const std::string& pem : pems) {
        BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
        while (bio) {
            X509* cert = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr);
            if (!cert) break;
            out.emplace_back(cert);
        }
    }
    ERR_clear_error();  // the end of each PEM text reads as an error
    return out;
}

// Withdrawn certificates, matched by what no re-encoding can change. A certificate's bytes can
// change while it still verifies (an ECDSA signature (r, s) is as valid as (r, n - s)), so a
// byte-for-byte match would let such a twin through; its key and its issuer's serial number
// stay the same.
class DenyList {
public:
    explicit DenyList(const std::vector<std::string>& pems) {
        for (X509Ptr& cert : ParseCertificates(pems)) {
            std::string key = KeyDigest(cert.get());
            entries_.push_back({std::move(key), std::move(cert)});
        }
    }
    bool Empty() const { return entries_.empty(); }
    bool Denies(X509* cert) const {
        const std::string key = KeyDigest(cert);
        for (const Entry& entry : entries_)
            if ((!key.empty() && key == entry.keyDigest) ||
                SameIssuerAndSerial(entry.cert.get(), cert))
                return true;
        return false;
    }
    bool DeniesAny(STACK_OF(X509) * certs) const {
        for (int i = 0; certs && i < sk_X509_num(certs); ++i)
            if (Denies(sk_X509_value(certs, i))) return true;
        return false;
    }

private:
    struct Entry {
        std::string keyDigest;
        X509Ptr cert;
    };
    // SHA-256 of the public key; empty when it cannot be taken.
    static std::string KeyDigest(X509* cert) {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (X509_pubkey_digest(cert, EVP_sha256(), digest, &length) != 1) return {};
        return std::string(reinterpret_cast<const char*>(digest), length);
    }
    static bool SameIssuerAndSerial(X509* a, X509* b) {
        return X509_NAME_cmp(X509_get_issuer_name(a), X509_get_issuer_name(b)) == 0 &&
               ASN1_INTEGER_cmp(X509_get0_serialNumber(a), X509_get0_serialNumber(b)) == 0;
    }
    std::vector<Entry> entries_;
};

// The verified signers' chains up to the trusted root, checked against the deny list.
bool ChainDenied(const DenyList& denied, CMS_ContentInfo* cms, X509_STORE* store) {
    if (denied.Empty()) return false;
    STACK_OF(X509)* signers = CMS_get0_signers(cms);
    CertStackPtr carried(CMS_get1_certs(cms));
    bool listed = denied.DeniesAny(signers);
    for (int i = 0; !listed && signers && i < sk_X509_num(signers); ++i) {
        X509_STORE_CTX* context = X509_STORE_CTX_new();
        if (context &&
            X509_STORE_CTX_init(context, store, sk_X509_value(signers, i), carried.get()) &&
            X509_verify_cert(context) == 1)
            listed = denied.DeniesAny(X509_STORE_CTX_get0_chain(context));
        X509_STORE_CTX_free(context);
    }
    sk_X509_free(signers);
    return listed;
}

StorePtr MakeStore(const std::vector<X509Ptr>& trusted) {
    StorePtr store(X509_STORE_new());
    if (!store) return nullptr;
    for (const X509Ptr& cert : trusted) X509_STORE_add_cert(store.get(), cert.get());
    // Publishers sign code, not mail: accept any key usage, as the check has always done.
    X509_STORE_set_purpose(store.get(), X509_PURPOSE_ANY);
    return store;
}

CmsPtr ReadSignature(std::istream& in, const SignatureBlock& block) {
    std::string der(block.signatureLength, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(block.signedLength));
    if (!in.read(der.data(), static_cast<std::streamsize>(der.size()))) return nullptr;
    const auto* data = reinterpret_cast<const unsigned char*>(der.data());
    const auto* end = data + der.size();
    CmsPtr cms(d2i_CMS_ContentInfo(nullptr, &data, static_cast<long>(der.size())));
    // Bytes after the CMS would be signed by nobody yet travel inside the signature block.
    if (!cms || data != end || OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed)
        return nullptr;
    return cms;
}

struct Outcome {
    std::int32_t status;
    bool absenceKnown = true;  // for "not signed": the file was read and carries no signature
};

Outcome Check(const std::wstring& path, const TrustStore& trust) {
    std::ifstream in(platform::FsPath(path), std::ios::binary);
    if (!in) return {kTrustNoSignature, false};
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    const auto block = FindSignatureBlock(in, size);
    if (!block) return {kTrustNoSignature};
    CmsPtr cms = ReadSignature(in, *block);
    if (!cms) return {kTrustNoSignature};

    const DenyList denied(trust.deniedPem);
    CertStackPtr carried(CMS_get1_certs(cms.get()));
    if (denied.DeniesAny(carried.get())) return {kTrustExplicitDistrust};
    StorePtr store = MakeStore(ParseCertificates(trust.trustedPem));
    if (!store) return {kSignatureSetupFailed};

    in.clear();
    in.seekg(0);
    LimitedStream content{&in, block->signedLength};
    BioPtr bio = LimitedBio(content);
    if (!bio) return {kSignatureSetupFailed};
    const int verified =
        CMS_verify(cms.get(), nullptr, store.get(), bio.get(), nullptr, CMS_BINARY);
    ERR_clear_error();
    if (content.failed) return {kSignatureReadFailed};
    if (verified != 1) return {kTrustSubjectNotTrusted};
    if (ChainDenied(denied, cms.get(), store.get())) return {kTrustExplicitDistrust};
    return {kSignatureVerified};
}

}  // namespace

SignatureCheck VerifyEmbeddedSignatureResult(const std::wstring& path, const TrustStore& trust) {
    const Outcome outcome = Check(path, trust);
    return ReportSignatureCheck(outcome.status, outcome.absenceKnown, path);
}

bool VerifyEmbeddedSignature(const std::wstring& path) {
    return VerifyEmbeddedSignatureResult(path, OwnTrustStore()).Verified();
}

}  // namespace FuntionImpl
