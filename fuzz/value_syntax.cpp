// The value syntax of layout documents: numbers, colours, rectangles, sizes, radii, alignments,
// attribute lists and image descriptors. Every parser takes any text and never fails.
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "toolkit/ImageDescriptor.h"
#include "toolkit/ValueSyntax.h"

namespace {

using namespace toolkit;

bool InDocumentRange(int v) { return v >= -kMaxDocumentNumber && v <= kMaxDocumentNumber; }

// Bounded members keep every width, height and offset of the layout inside int.
void CheckRect(const Rect& r) {
    FUZZ_CHECK(InDocumentRange(r.left) && InDocumentRange(r.top));
    FUZZ_CHECK(InDocumentRange(r.right) && InDocumentRange(r.bottom));
}

void CheckAttributeList(std::string_view text) {
    const AttributeList list = ParseAttributeList(text);
    std::size_t used = 0;
    for (const auto& [name, value] : list) {
        FUZZ_CHECK(name.find('=') == std::string::npos);
        used += name.size() + value.size() + 3;  // =, two quotes
        FUZZ_CHECK(text.find(value) != std::string_view::npos);
    }
    FUZZ_CHECK(used <= text.size());
}

void CheckImageDescriptor(std::string_view text) {
    const ImageDescriptor image = ParseImageDescriptor(text);
    FUZZ_CHECK(image.fade >= 0 && image.fade <= 255);
    if (image.dest) CheckRect(*image.dest);
    if (image.source) CheckRect(*image.source);
    CheckRect(image.corner);
    FUZZ_CHECK(image.file.size() <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    FUZZ_CHECK(InDocumentRange(ParseInt(text)));
    (void)ParseBool(text);
    (void)ParseColor(text);
    CheckRect(ParseRect(text));
    CheckRect(ParseBorderSize(text));
    const Size sz = ParseSize(text);
    FUZZ_CHECK(InDocumentRange(sz.cx) && InDocumentRange(sz.cy));
    const Radii radii = ParseRadii(text);
    FUZZ_CHECK(InDocumentRange(radii.x) && InDocumentRange(radii.y));
    FUZZ_CHECK(radii.y != 0 || radii.x == 0);  // a zero second radius takes the first
    (void)ParseHAlign(text);
    (void)ParseVAlign(text);
    (void)ParseFloatAlign(text);
    CheckAttributeList(text);
    CheckImageDescriptor(text);
    return 0;
}
