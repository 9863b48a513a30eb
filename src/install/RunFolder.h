// Where an attempt's verified installers run from. The download folder is checked when it is
// chosen, but a package is checked and started by name some time apart; a copy in a folder only
// this user can enter, made before the checks, makes sure the bytes whose signature was checked
// are the bytes that run, whoever renames files in the download folder meanwhile.
//
// Threading: one RunFolder belongs to one install attempt (its thread).
#pragma once

#include <string>

namespace install {

class RunFolder {
public:
    RunFolder() = default;
    // Removes the folder with the copies in it.
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // Copies `file` into the folder, made fresh (0700) beside `file` at the first call, keeping
    // its name. The copy's path; empty (logged) when the folder beside `file` could be changed by
    // another user, or the folder or the copy could not be made.
    std::wstring Copy(const std::wstring& file);

private:
    bool MakeBeside(const std::wstring& file);

    std::wstring folder_;
};

}  // namespace install
