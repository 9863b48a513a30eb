#include "sys/PackageProduct.h"

#include "sys/DottedVersion.h"
#include "sys/Log.h"
#include "sys/ProductManifest.h"

namespace FuntionImpl {
namespace {

ProductCheck Refused(std::string why) { return {false, std::move(why)}; }

ProductCheck Check(const std::wstring& path, const ProductRequirement& required) {
    if (required.product.empty()) return Refused("this installer names no product to accept");
    std::optional<DottedVersion> minimum;
    if (!required.minVersion.empty() && !(minimum = ParseDottedVersion(required.minVersion)))
        return Refused("this installer's minimum version \"" + required.minVersion +
                       "\" is no version");
    std::string why;
    const std::optional<ProductManifest> manifest = ReadProductManifest(path, why);
    if (!manifest) return Refused(why);
    const std::string found = "\"" + manifest->product + "\" " + manifest->version;
    if (manifest->product != required.product)
        return Refused("the package is " + found + ", not \"" + required.product + "\"");
    if (minimum && *ParseDottedVersion(manifest->version) < *minimum)
        return Refused("the package is " + found + ", older than the minimum " +
                       required.minVersion);
    return {true, "the package is " + found};
}

}  // namespace

ProductCheck VerifyPackageProduct(const std::wstring& path, const ProductRequirement& required) {
    ProductCheck check = Check(path, required);
    CVD_LOG << (check.accepted ? " Package product check passed: "
                               : " Package product check failed: ")
            << check.verdict;
    return check;
}

}  // namespace FuntionImpl
