// The task file: read from the package folder, where anything may have written it. The reader
// must take any bytes; the check must accept only files whose ranges tile the package exactly,
// without overflow, so no resumed range ever writes past the file. The size probe of the check
// reads a sparse local file of the recorded size over file://, so no network is needed.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzCheck.h"
#include "download/CDownloadTaskManager.h"
#include "download/DownloadEvents.h"
#include "download/TaskFile.h"

namespace {

std::filesystem::path& Folder() {
    static std::filesystem::path folder;
    return folder;
}

// The "remote" package, as long as the task file says; false when no file can be that long.
bool MakeRemote(const std::string& path, std::int64_t size) {
    if (size < 0) return false;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    const bool sized = ftruncate(fd, static_cast<off_t>(size)) == 0;
    close(fd);
    return sized;
}

void CheckAcceptedLayout(const CDownloadTaskManager& tasks) {
    FUZZ_CHECK(tasks.ContentLength > 0);
    std::int64_t next = 0;
    for (const auto& t : tasks.allTasks()) {
        FUZZ_CHECK(t->StartPos == next);
        FUZZ_CHECK(t->EndPos >= t->StartPos && t->EndPos <= tasks.ContentLength);
        FUZZ_CHECK(t->DownloadedPos.load() >= t->StartPos);
        FUZZ_CHECK(t->DownloadedPos.load() <= t->EndPos);
        next = t->EndPos + 1;
    }
    FUZZ_CHECK(next == tasks.ContentLength + 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrivateHome();
    SetDownloadEvents(nullptr);
    char pattern[] = "/tmp/cvd-fuzz-task-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder) std::abort();
    Folder() = folder;
    std::atexit([] { std::filesystem::remove_all(Folder()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string xml(reinterpret_cast<const char*>(data), size);

    // Parsing and saving again keeps every field the reader took.
    const TaskFileContent read = TaskFile::Parse(xml);
    const TaskFileContent again = TaskFile::Parse(TaskFile::Format(read));
    FUZZ_CHECK(again.TasksCount == read.TasksCount);
    FUZZ_CHECK(again.ContentLength == read.ContentLength);
    FUZZ_CHECK(again.DownloadTime == read.DownloadTime);
    FUZZ_CHECK(again.Tasks.size() == read.Tasks.size());
    for (std::size_t i = 0; i < read.Tasks.size(); ++i) {
        FUZZ_CHECK(again.Tasks[i].StartPos == read.Tasks[i].StartPos);
        FUZZ_CHECK(again.Tasks[i].EndPos == read.Tasks[i].EndPos);
        FUZZ_CHECK(again.Tasks[i].DownloadedPos == read.Tasks[i].DownloadedPos);
        FUZZ_CHECK(again.Tasks[i].TaskId == read.Tasks[i].TaskId);
    }

    const std::string remote = (Folder() / "remote.bin").string();
    const std::string package = (Folder() / "pkg.bin").string();
    const std::string taskFile = package + ".xml";
    if (!MakeRemote(remote, read.ContentLength) || !TaskFile::Save(taskFile, read)) return 0;
    CDownloadTaskManager tasks("file://" + remote, package, taskFile);
    tasks.readTaskFile();
    if (tasks.checkTaskFile() == 1) CheckAcceptedLayout(tasks);
    tasks.addDownloadTime(1000);
    return 0;
}
