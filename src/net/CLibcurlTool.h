// The program's HTTP helper over libcurl.
#pragma once

#include <string>

class CLibcurlTool {
public:
    // Uploads a file to the log-upload service as a multipart form. 0 when the service answered
    // HTTP 200; -1 when filePath has fewer than 5 characters; -2 when no libcurl handle could be
    // created; -3 on any transfer failure or other status.
    static int uploadLogFile(const std::string& filePath, const std::string& fileName,
                             const std::string& productId, const std::string& version,
                             const std::string& catalogue);
};
