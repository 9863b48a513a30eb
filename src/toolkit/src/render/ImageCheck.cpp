#include "toolkit/ImageCheck.h"

#include "toolkit/Image.h"

namespace toolkit {

bool IsDecodableImage(const std::vector<std::uint8_t>& bytes) {
    return Image::Decode(bytes) != nullptr;
}

}  // namespace toolkit
