// The part file name of a log upload whose caller gave none.
#pragma once

#include <string>

namespace logupload {

// "NoName_" + `stamp17` (the 17-digit local time stamp) + the extension of `filePath` (from its
// last '.', inclusive; ".tmp" when its file name has none).
std::string NoNameFileName(const std::string& filePath, const std::string& stamp17);

}  // namespace logupload
