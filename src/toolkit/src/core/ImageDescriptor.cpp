#include "toolkit/ImageDescriptor.h"

#include <algorithm>

#include "toolkit/ValueSyntax.h"

namespace toolkit {

ImageDescriptor ParseImageDescriptor(std::string_view text) {
    ImageDescriptor d;
    if (text.find('=') == std::string_view::npos) {
        d.file = std::string(text);
        return d;
    }
    for (const auto& [name, value] : ParseAttributeList(text)) {
        if (name == "file" || name == "res")
            d.file = value;
        else if (name == "dest")
            d.dest = ParseRect(value);
        else if (name == "source")
            d.source = ParseRect(value);
        else if (name == "corner")
            d.corner = ParseRect(value);
        else if (name == "mask")
            d.mask = ParseColor(value);
        else if (name == "gdiplus")
            d.gdiplus = ParseBool(value);
        else if (name == "fade")
            d.fade = std::clamp(ParseInt(value), 0, 255);
    }
    return d;
}

}  // namespace toolkit
