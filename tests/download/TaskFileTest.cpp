#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "DownloadTestSupport.h"
#include "config/CConfigure.h"
#include "download/CDownloadTaskManager.h"
#include "download/TaskFile.h"

namespace {

using cvdtest::RecordingEvents;

// The example of a 10000000-byte package with its first range finished.
TaskFileContent TwoRanges(const std::string& url) {
    TaskFileContent c;
    c.TasksCount = 2;
    c.ContentLength = 10000000;
    c.DownloadTime = 1500;
    c.Tasks = {{0, 4194303, 4194303, url, "pkg", 1, 1, 7},
               {4194304, 10000000, 6000000, url, "pkg", 2, 2, 9}};
    return c;
}

class TaskFileLoad : public ::testing::Test {
protected:
    void SetUp() override {
        CConfigure::Instance().ResetForTesting();
        ASSERT_TRUE(server.Started());
    }
    std::string Url() const { return server.Url("ok/10000000"); }
    CDownloadTaskManager Manager() const { return CDownloadTaskManager(Url(), package, taskFile); }

    cvdtest::TempEnv env;
    cvdtest::FaultServer server;
    std::string package = (env.Root() / "pkg.bin").string();
    std::string taskFile = package + ".xml";
};

TEST_F(TaskFileLoad, ConsistentFileIsUsedAndCountsRestartAtZero) {
    RecordingEvents events;
    cvdtest::LogCapture log(env.Root() / "log.txt");
    ASSERT_TRUE(TaskFile::Save(taskFile, TwoRanges(Url())));
    CDownloadTaskManager tasks(Url(), package, taskFile);
    EXPECT_EQ(tasks.loadDownloadTask(""), Success);
    EXPECT_TRUE(log.Contains(" Load tasks from file success!"));
    ASSERT_EQ(tasks.allTasks().size(), 2u);
    EXPECT_EQ(tasks.allTasks()[1]->DownloadedPos.load(), 6000000);
    EXPECT_EQ(tasks.allTasks()[1]->ContentLength, 10000000);
    EXPECT_EQ(tasks.sumRequestTimes(), 0);
    EXPECT_EQ(tasks.DownloadTime, 1500);
    EXPECT_EQ(events.Matching("funnel|Download|ResumUpload||").size(), 1u);
    EXPECT_TRUE(events.Matching("funnel|ErrorReporting").empty());
}

TEST_F(TaskFileLoad, FinishedFileSendsNoResumeEvent) {
    RecordingEvents events;
    TaskFileContent done = TwoRanges(Url());
    done.Tasks[1].DownloadedPos = 10000000;
    done.Tasks[1].TaskStatus = 1;
    ASSERT_TRUE(TaskFile::Save(taskFile, done));
    CDownloadTaskManager tasks(Url(), package, taskFile);
    EXPECT_EQ(tasks.loadDownloadTask(""), Success);
    EXPECT_TRUE(tasks.allTasksDone());
    EXPECT_TRUE(events.Matching("funnel|Download|ResumUpload").empty());
}

struct RejectCase {
    const char* name;
    std::function<void(TaskFileContent&)> edit;
    const char* code;
};

TEST_F(TaskFileLoad, InconsistentFilesAreDiscardedWithTheirCode) {
    const std::vector<RejectCase> cases = {
        {"other size, checked before the ranges",
         [](TaskFileContent& c) { c.ContentLength = 9999999; c.Tasks[1].StartPos += 1; },
         "DL025"},
        {"no Task", [](TaskFileContent& c) { c.Tasks.clear(); }, "DL026"},
        {"StartPos shifted by one", [](TaskFileContent& c) { c.Tasks[1].StartPos += 1; },
         "DL026"},
        {"TaskId out of order", [](TaskFileContent& c) { std::swap(c.Tasks[0], c.Tasks[1]); },
         "DL026"},
        {"inverted range", [](TaskFileContent& c) { c.Tasks[1].EndPos = 4194000; }, "DL026"},
        {"range beyond the file", [](TaskFileContent& c) { c.Tasks[1].EndPos = 10000001; },
         "DL026"},
        {"DownloadedPos past its range",
         [](TaskFileContent& c) { c.Tasks[1].DownloadedPos = 10000001; }, "DL026"},
        {"negative DownloadedPos", [](TaskFileContent& c) { c.Tasks[0].DownloadedPos = -5; },
         "DL026"},
        {"finished range that is not complete",
         [](TaskFileContent& c) { c.Tasks[0].DownloadedPos = 100; }, "DL026"},
        {"TasksCount disagrees", [](TaskFileContent& c) { c.TasksCount = 3; }, "DL026"},
    };
    for (const RejectCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingEvents events;
        TaskFileContent content = TwoRanges(Url());
        c.edit(content);
        ASSERT_TRUE(TaskFile::Save(taskFile, content));
        env.WriteFile("pkg.bin", "partial");
        CDownloadTaskManager tasks(Url(), package, taskFile);
        EXPECT_EQ(tasks.loadDownloadTask(""), Success);
        EXPECT_EQ(events.Matching("funnel|ErrorReporting|Error|MainErrorType|"),
                  std::vector<std::string>{std::string("funnel|ErrorReporting|Error|MainErrorType|") +
                                           c.code});
        EXPECT_FALSE(std::filesystem::exists(package));
        ASSERT_EQ(tasks.allTasks().size(), 2u);  // fresh ranges
        EXPECT_EQ(tasks.allTasks()[1]->DownloadedPos.load(), 4194304);
    }
}

TEST_F(TaskFileLoad, UnparsableFileHasNoTasksAndIsRejectedAsOtherSize) {
    RecordingEvents events;
    env.WriteFile("pkg.bin.xml", "<TaskInfo><TasksCount>2</TasksCount><Task>");
    CDownloadTaskManager tasks(Url(), package, taskFile);
    EXPECT_TRUE(tasks.readTaskFile());  // no task, so none unfinished
    EXPECT_TRUE(tasks.allTasks().empty());
    EXPECT_EQ(tasks.ContentLength, 0);
    EXPECT_EQ(tasks.checkTaskFile(), 2);
    EXPECT_EQ(events.Matching("funnel|ErrorReporting|Error|MainErrorType|DL025").size(), 1u);
}

TEST_F(TaskFileLoad, SubProgramUsesItsOwnKey) {
    RecordingEvents events;
    CConfigure::Instance().SetCurrentSubProgram(0);
    TaskFileContent content = TwoRanges(Url());
    content.Tasks[1].StartPos += 1;
    ASSERT_TRUE(TaskFile::Save(taskFile, content));
    CDownloadTaskManager tasks(Url(), package, taskFile);
    tasks.readTaskFile();
    EXPECT_EQ(tasks.checkTaskFile(), 3);
    EXPECT_EQ(events.Matching("funnel|ErrorReporting|Error|SubErrorType|DL026").size(), 1u);
    CConfigure::Instance().SetCurrentSubProgram(-1);
}

TEST_F(TaskFileLoad, FailedProbeKeepsThePartialDownload) {
    RecordingEvents events;
    const std::string dead = "http://127.0.0.1:9/ok/10000000";
    ASSERT_TRUE(TaskFile::Save(taskFile, TwoRanges(dead)));
    env.WriteFile("pkg.bin", "partial");
    CDownloadTaskManager tasks(dead, package, taskFile);
    EXPECT_EQ(tasks.loadDownloadTask(""), ContentLengthFailed);
    EXPECT_TRUE(std::filesystem::exists(package));
    EXPECT_TRUE(std::filesystem::exists(taskFile));
    EXPECT_TRUE(events.Matching("funnel|ErrorReporting").empty());
}

// The first size probes fail, a later one answers: the saved ranges are judged against that size
// instead of being replaced by fresh ones over the kept file.
TEST_F(TaskFileLoad, SizeKnownOnlyAfterFailedProbesStillDecidesOnTheTaskFile) {
    struct Case {
        const char* url;
        bool resumed;
    };
    for (const Case& c : {Case{"flakyhead/2/10000000", true}, Case{"flakyhead/2/9000000", false}}) {
        SCOPED_TRACE(c.url);
        RecordingEvents events;
        cvdtest::LogCapture log(env.Root() / "log.txt");
        const std::string url = server.Url(c.url);
        ASSERT_TRUE(TaskFile::Save(taskFile, TwoRanges(url)));
        env.WriteFile("pkg.bin", "partial");
        CDownloadTaskManager tasks(url, package, taskFile);
        EXPECT_EQ(tasks.loadDownloadTask(""), Success);
        ASSERT_EQ(tasks.allTasks().size(), 2u);
        EXPECT_EQ(tasks.ContentLength, c.resumed ? 10000000 : 9000000);
        EXPECT_EQ(tasks.allTasks()[1]->DownloadedPos.load(), c.resumed ? 6000000 : 4194304);
        EXPECT_EQ(std::filesystem::exists(package), c.resumed);
        EXPECT_EQ(log.Contains(" taskinfo file error"), !c.resumed);
        EXPECT_EQ(events.Matching("funnel|ErrorReporting|Error|MainErrorType|DL025").size(),
                  c.resumed ? 0u : 1u);
    }
}

TEST_F(TaskFileLoad, ExtremeNumbersAreRejectedWithoutOverflow) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    struct Case {
        const char* name;
        std::string url;
        TaskFileContent content;
    };
    const auto one = [](std::string url, std::int64_t size, std::int64_t end, std::int32_t id) {
        TaskFileContent c;
        c.TasksCount = 1;
        c.ContentLength = size;
        c.Tasks = {{0, end, 0, url, "pkg", 0, id, 0}};
        return c;
    };
    const std::string huge = server.Url("ok/" + std::to_string(kMax));
    const std::string dead = "http://127.0.0.1:9/ok/0";
    const std::vector<Case> cases = {
        {"largest size the server also claims", huge, one(huge, kMax, kMax, 1)},
        {"size 0 while the size is unknown", dead, one(dead, 0, 0, 1)},
        {"negative size while the size is unknown", dead, one(dead, -1, -1, 1)},
        {"lowest TaskId", Url(), one(Url(), 10000000, 10000000, std::numeric_limits<int>::min())},
        {"highest TaskId", Url(), one(Url(), 10000000, 10000000, std::numeric_limits<int>::max())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingEvents events;
        ASSERT_TRUE(TaskFile::Save(taskFile, c.content));
        CDownloadTaskManager tasks(c.url, package, taskFile);
        tasks.readTaskFile();
        EXPECT_EQ(tasks.checkTaskFile(), 3);
        EXPECT_EQ(events.Matching("funnel|ErrorReporting|Error|MainErrorType|DL026").size(), 1u);
    }
}

TEST_F(TaskFileLoad, DownloadTimeNeverOverflows) {
    TaskFileContent content = TwoRanges(Url());
    for (const std::int64_t saved :
         {std::numeric_limits<std::int64_t>::max() - 10, std::int64_t{-5}}) {
        content.DownloadTime = saved;
        ASSERT_TRUE(TaskFile::Save(taskFile, content));
        CDownloadTaskManager tasks(Url(), package, taskFile);
        tasks.readTaskFile();
        EXPECT_GE(tasks.addDownloadTime(1000), 1000) << saved;
    }
}

// A server claiming terabytes must not make the engine build millions of ranges.
TEST_F(TaskFileLoad, AbsurdRemoteSizesAreRefusedBeforeAnyRange) {
    for (const std::int64_t size : {CDownloadTaskManager::kMaxContentLength + 1,
                                    std::int64_t{10} * 1000 * 1000 * 1000 * 1000}) {
        SCOPED_TRACE(size);
        CDownloadTaskManager tasks(server.Url("ok/" + std::to_string(size)), package, taskFile);
        EXPECT_EQ(tasks.generateDownloadTask(""), ContentLengthFailed);
        EXPECT_TRUE(tasks.allTasks().empty());
    }
}

TEST_F(TaskFileLoad, FreshRangesCutALongerPackageToTheRemoteSize) {
    env.WriteFile("pkg.bin", std::string(10000000 + 5000, 's'));
    CDownloadTaskManager tasks(Url(), package, taskFile);
    EXPECT_EQ(tasks.loadDownloadTask(""), Success);
    EXPECT_EQ(std::filesystem::file_size(package), 10000000u);
}

// One whole-file range is the layout of a single-stream download only.
TEST_F(TaskFileLoad, OneWholeFileRangeIsTrustedOnlyForASingleStream) {
    for (const bool single : {true, false}) {
        SCOPED_TRACE(single);
        RecordingEvents events;
        TaskFileContent content;
        content.TasksCount = 1;
        content.ContentLength = 10000000;
        content.SingleStream = single;
        content.Tasks = {{0, 10000000, 6000000, Url(), "pkg", 2, 1, 0}};
        ASSERT_TRUE(TaskFile::Save(taskFile, content));
        CDownloadTaskManager tasks(Url(), package, taskFile);
        tasks.readTaskFile();
        EXPECT_EQ(tasks.checkTaskFile(), single ? 1 : 3);
        EXPECT_EQ(tasks.SingleStream, single);
    }
}

TEST(TaskFileFormat, RoundTripsEveryFieldButRequestTimes) {
    const TaskFileContent saved = TwoRanges("https://h/p?a=1&b=2");
    const std::string text = TaskFile::Format(saved);
    EXPECT_EQ(text.rfind("<TaskInfo>\n    <TasksCount>2</TasksCount>", 0), 0u);
    EXPECT_NE(text.find("<RemotePath>https://h/p?a=1&amp;b=2</RemotePath>"), std::string::npos);
    const TaskFileContent read = TaskFile::Parse(text);
    EXPECT_EQ(read.ContentLength, 10000000);
    ASSERT_EQ(read.Tasks.size(), 2u);
    EXPECT_EQ(read.Tasks[1].EndPos, 10000000);
    EXPECT_EQ(read.Tasks[1].RemotePath, "https://h/p?a=1&b=2");
    EXPECT_EQ(read.Tasks[1].RequestTimes, 0);
    EXPECT_EQ(read.Tasks[1].TaskStatus, 2);
}

TEST(TaskFileFormat, FailedSaveLeavesThePreviousFile) {
    cvdtest::TempEnv env;
    const std::string path = (env.Root() / "pkg.bin.xml").string();
    ASSERT_TRUE(TaskFile::Save(path, TwoRanges("u")));
    const std::string before = cvdtest::ReadFile(path);
    std::filesystem::create_directory(path + ".tmp");  // the temporary cannot be written
    TaskFileContent other = TwoRanges("u");
    other.Tasks[1].DownloadedPos = 7000000;
    EXPECT_FALSE(TaskFile::Save(path, other));
    EXPECT_EQ(cvdtest::ReadFile(path), before);
}

}  // namespace
