// "galog.json": the local date of the last day the installer started, and the installer version
// of the first funnel event. It decides the is-new flag. It lies in a folder of the user's own
// (ForThisUser), never in a temporary folder other users can write to.
//
// Format: one JSON object with the integer members year, month, day and the string member
// version (once a funnel event has been built). Other members are kept when it is rewritten.
#pragma once

#include <string>

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

LocalDate TodayLocal();

class VisitFile {
public:
    explicit VisitFile(std::wstring path) : path_(std::move(path)) {}
    // $XDG_CACHE_HOME/CVDownloader/galog.json, or galog.json in the runtime folder when that
    // folder cannot be made; no path (nothing is kept, every start counts as new) without either.
    static VisitFile ForThisUser();

    // 1 when the installer has not started yet today (and records today), else 0.
    int UpdateIsNew(const LocalDate& today) const;
    // Stores `version` when the file has none; a different stored version is kept.
    void RecordVersion(const std::string& version) const;

    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};
