// The part file name of a log upload whose caller gave none, and the bounds of an upload.
#pragma once

#include <string>

namespace logupload {

// The crash-report process exists only to upload: a service that accepts the connection and then
// goes quiet must not keep it alive. Each bound is in seconds; `stallSeconds` ends a transfer
// in which no byte went either way for that long (waiting for the answer included).
struct UploadLimits {
    long connectSeconds = 30;
    long stallSeconds = 30;
    long totalSeconds = 300;
};

// "NoName_" + `stamp17` (the 17-digit local time stamp) + the extension of `filePath` (from its
// last '.', inclusive; ".tmp" when its file name has none).
std::string NoNameFileName(const std::string& filePath, const std::string& stamp17);

}  // namespace logupload
