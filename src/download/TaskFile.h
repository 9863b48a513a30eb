// The task file: an XML document beside the package that records every range's progress so an
// interrupted download resumes.
//
//   <TaskInfo>
//       <TasksCount>2</TasksCount>
//       <ContentLength>10000000</ContentLength>
//       <DownloadTime>1234</DownloadTime>              accumulated milliseconds
//       <SingleStream>1</SingleStream>                 only for a server without ranges: one
//                                                      range, the whole file
//       <ETag/> <LastModified/>                        the file's version, when the server
//                                                      named it (a strong ETag only)
//       <Task>                                          one per range, in range order
//           <StartPos/> <EndPos/> <DownloadedPos/>      int64 offsets
//           <RemotePath/> <LocalPath/>                  URL and package path
//           <TaskStatus/> <TaskId/> <RequestTimes/>     ints
//       </Task>
//   </TaskInfo>
//
// Saving replaces the file atomically (temporary file, flush, rename): a save cut short by a
// crash or kill leaves the previous file, never a half-written one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TaskRecord {
    std::int64_t StartPos = 0;
    std::int64_t EndPos = 0;
    std::int64_t DownloadedPos = 0;
    std::string RemotePath;
    std::string LocalPath;
    std::int32_t TaskStatus = 0;
    std::int32_t TaskId = 0;
    std::int32_t RequestTimes = 0;
};

struct TaskFileContent {
    std::int32_t TasksCount = 0;
    std::int64_t ContentLength = 0;
    std::int64_t DownloadTime = 0;
    bool SingleStream = false;
    std::string ETag;
    std::string LastModified;
    std::vector<TaskRecord> Tasks;
};

namespace TaskFile {

std::string Format(const TaskFileContent& content);
bool Save(const std::string& path, const TaskFileContent& content);
// A missing file or one without a root element yields empty content (no tasks, size 0).
// Numbers that do not read as numbers are 0; RequestTimes is not read.
TaskFileContent Load(const std::string& path);
TaskFileContent Parse(const std::string& xml);

}  // namespace TaskFile
