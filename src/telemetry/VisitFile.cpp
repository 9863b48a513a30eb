#include "telemetry/VisitFile.h"

#include <json/json.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Files.h"
#include "platform/FsPath.h"
#include "platform/LocalTime.h"
#include "platform/Paths.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace {

namespace fs = std::filesystem;

// False when the file is missing; an unreadable or malformed file reads as an empty object.
bool Load(const std::wstring& path, Json::Value& document) {
    std::error_code error;
    if (!fs::exists(platform::FsPath(path), error)) return false;
    std::ifstream in(platform::FsPath(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream stream(text.str());
    if (!Json::parseFromStream(builder, stream, &document, &errors) || !document.isObject())
        document = Json::Value(Json::objectValue);
    return true;
}

// Replaced in one step, so a crash never leaves half a file, through a temporary file that
// nobody can have planted.
void Save(const std::wstring& path, const Json::Value& document) {
    if (path.empty()) return;  // no folder of our own: a bare name would land in the working folder
    if (!platform::ReplaceFileContents(path, document.toStyledString()))
        CVD_LOG << " galog write fail " << FuntionImpl::Utf16ToUtf8(path);
}

bool IsDate(const Json::Value& document, const LocalDate& date) {
    const auto member = [&](const char* name, int value) {
        return document[name].isInt() && document[name].asInt() == value;
    };
    return member("year", date.year) && member("month", date.month) && member("day", date.day);
}

}  // namespace

LocalDate TodayLocal() {
    const platform::LocalTime now = platform::LocalTimeNow();
    return LocalDate{now.year, now.month, now.day};
}

VisitFile VisitFile::ForThisUser() {
    const fs::path folder = platform::FsPath(platform::CacheFolder()) / "CVDownloader";
    std::error_code error;
    fs::create_directories(folder, error);
    if (fs::is_directory(folder, error) &&
        platform::IsOwnWritableFolder(platform::WidePath(folder)))
        return VisitFile(platform::WidePath(folder / "galog.json"));
    const std::wstring runtime = platform::RuntimeFolder();
    return VisitFile(runtime.empty()
                         ? std::wstring()
                         : platform::WidePath(platform::FsPath(runtime) / "galog.json"));
}

int VisitFile::UpdateIsNew(const LocalDate& today) const {
    Json::Value document(Json::objectValue);
    if (Load(path_, document) && IsDate(document, today)) return 0;
    document["year"] = today.year;
    document["month"] = today.month;
    document["day"] = today.day;
    Save(path_, document);
    return 1;
}

void VisitFile::RecordVersion(const std::string& version) const {
    Json::Value document(Json::objectValue);
    Load(path_, document);
    if (document.isMember("version") && document["version"] != Json::Value(version)) return;
    document["version"] = version;
    Save(path_, document);
}
