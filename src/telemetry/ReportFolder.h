// The switch files of the reporting service, looked up in the working folder it was created in:
// "proxy.txt" (first word: the HTTP proxy to use) and "test" (report to the test collector).
#pragma once

#include <string>

class ReportFolder {
public:
    // The process's current folder; empty when it cannot be read.
    static std::wstring Current();

    explicit ReportFolder(std::wstring folder) : folder_(std::move(folder)) {}

    // The first whitespace-delimited word of proxy.txt (at most 254 characters); empty when the
    // file is missing or blank.
    std::string Proxy() const;
    // Whether a file named "test" can be opened.
    bool UseTestCollector() const;

    const std::wstring& Folder() const { return folder_; }

private:
    std::wstring folder_;
};
