#include <gtest/gtest.h>

#include <memory>

#include "DownloadTestSupport.h"
#include "download/CDownloadThreadManager.h"
#include "download/CTaskManager.h"
#include "platform/Clock.h"

namespace {

std::unique_ptr<CTask> MakeTask(int id, int status) {
    auto task = std::make_unique<CTask>();
    task->TaskId = id;
    task->TaskStatus = status;
    return task;
}

TEST(TaskQueues, FinishedTasksAreDispatchedOthersWaitInOrder) {
    CTaskManager tasks;
    EXPECT_EQ(tasks.addTask(nullptr), 0);
    tasks.addTask(MakeTask(1, TaskFinished));
    tasks.addTask(MakeTask(2, TaskNew));
    tasks.addTask(MakeTask(3, TaskAtWorker));  // saved while a worker held it
    EXPECT_TRUE(tasks.hasUnfinishedTasks());
    CTask* first = tasks.getTask();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->TaskId.load(), 2);
    EXPECT_EQ(first->TaskStatus.load(), TaskAtWorker);
    EXPECT_EQ(tasks.getTask()->TaskId.load(), 3);
    EXPECT_EQ(tasks.getTask(), nullptr);
    EXPECT_FALSE(tasks.allTasksDone());
}

TEST(TaskQueues, FailedTasksGoBackToTheEndOfTheQueue) {
    CTaskManager tasks;
    for (int id = 1; id <= 3; ++id) tasks.addTask(MakeTask(id, TaskNew));
    CTask* a = tasks.getTask();
    CTask* b = tasks.getTask();
    a->TaskStatus = TaskFailed;
    b->TaskStatus = TaskFinished;
    tasks.requeueFailedTasks();
    EXPECT_EQ(tasks.getTask()->TaskId.load(), 3);
    EXPECT_EQ(tasks.getTask()->TaskId.load(), 1);
    EXPECT_EQ(tasks.dispatchedTasks().size(), 3u);
    tasks.clearTasks();
    EXPECT_TRUE(tasks.allTasksDone());
    EXPECT_EQ(tasks.TasksCount, 0);
}

class ThreadPool : public ::testing::Test {
protected:
    cvdtest::TempEnv env;
    std::string package = (env.Root() / "package.bin").string();
};

TEST_F(ThreadPool, ZeroWorkersStillOpensTheFile) {
    CDownloadThreadManager pool(package);
    EXPECT_EQ(pool.createThreads(0), 0);
    EXPECT_TRUE(std::filesystem::exists(package));
    pool.releaseThreads();
}

TEST_F(ThreadPool, ExistingFileKeepsItsContent) {
    env.WriteFile("package.bin", "earlier bytes");
    CDownloadThreadManager pool(package);
    EXPECT_EQ(pool.createThreads(2), 2);
    pool.stopThreads();
    pool.releaseThreads();
    EXPECT_EQ(cvdtest::ReadFile(package), "earlier bytes");
}

TEST_F(ThreadPool, UnopenableFileGivesMinusOneAndTheEvents) {
    cvdtest::RecordingEvents events;
    CDownloadThreadManager pool((env.Root() / "missing-folder" / "package.bin").string());
    EXPECT_EQ(pool.createThreads(4), -1);
    EXPECT_EQ(events.Matching("ga4|Other|OpenFileErrCode|").size(), 1u);
    EXPECT_EQ(events.Matching("funnel|Download|OpenFileErrCode|OpenFileErrCodeType|").size(), 1u);
}

TEST_F(ThreadPool, WorkerReturnsToTheEndOfTheFreeListAfterItsTask) {
    cvdtest::LogCapture log(env.Root() / "log.txt");
    CThreadManager pool;
    ASSERT_EQ(pool.createThreads(2), 2);
    CTask task;  // the base worker's work does nothing
    ASSERT_EQ(pool.giveTaskToAThreadTodo(&task), 1);
    EXPECT_TRUE(pool.hasBusyThreads());
    for (int i = 0; i < 500 && pool.hasBusyThreads(); ++i) {
        pool.waitForTaskDone(10);
        pool.recycleThreads();
    }
    EXPECT_FALSE(pool.hasBusyThreads());
    CThread* next = pool.getOneFreeThreads();
    CThread* other = pool.getOneFreeThreads();
    ASSERT_NE(next, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(next->status(), ThreadIdle);
    EXPECT_EQ(pool.getOneFreeThreads(), nullptr);
    EXPECT_TRUE(log.Contains("is no free threads"));
    EXPECT_EQ(pool.giveTaskToAThreadTodo(&task), 0);
    // Taken out of both lists, so the pool no longer ends them.
    for (CThread* worker : {next, other}) {
        worker->signalExit();
        EXPECT_TRUE(worker->handle()->Wait(5000));
    }
}

TEST_F(ThreadPool, StopEndsEveryIdleWorker) {
    cvdtest::LogCapture log(env.Root() / "log.txt");
    CThreadManager pool;
    ASSERT_EQ(pool.createThreads(3), 3);
    EXPECT_EQ(pool.stopThreads(), 1);
    EXPECT_TRUE(log.Contains("start wait threads eixt"));
    EXPECT_TRUE(log.Contains("end wait threads eixt"));
    pool.releaseThreads();
}

}  // namespace
