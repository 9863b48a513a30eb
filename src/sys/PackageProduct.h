// The check that a signed package installs the product this installer is for. A signature only
// proves the publisher: without this, a server could hand out another product of the same
// publisher, or an older and vulnerable build of this one, and it would verify. What is required
// comes from the installer's own configuration document, never from a server answer; what the
// package is comes from its signed product manifest (ProductManifest.h).
#pragma once

#include <string>

namespace FuntionImpl {

struct ProductRequirement {
    std::string product;     // UTF-8; the package must name exactly this product
    std::string minVersion;  // the oldest version accepted (a DottedVersion); empty: any
};

struct ProductCheck {
    bool accepted = false;
    std::string verdict;  // what the package is, or why it was refused
};

// Checks the package at `path` and logs " Package product check passed: " or
// " Package product check failed: " with the verdict. Call it on a package whose signature
// verified: the manifest is only as trustworthy as the signature over it.
ProductCheck VerifyPackageProduct(const std::wstring& path, const ProductRequirement& required);

}  // namespace FuntionImpl
