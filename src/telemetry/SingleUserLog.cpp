#include "telemetry/SingleUserLog.h"

#include <atomic>
#include <mutex>

#include "config/CConfigure.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"
#include "telemetry/ExportedFunctions.h"
#include "telemetry/FunnelDocument.h"
#include "telemetry/Ga4Hit.h"
#include "telemetry/IWebLog.h"
#include "telemetry/UserLogFacts.h"
#include "telemetry/UserLogQueue.h"
#include "telemetry/VisitFile.h"

namespace {

constexpr std::int32_t kSwitchedOff = -99;
constexpr std::int32_t kNoService = -1;
constexpr int kWaitedAttempts = 3;
constexpr std::int32_t kMaxRequeues = 3;
constexpr std::uint32_t kIdlePollMs = 500;
constexpr std::uint32_t kExitWaitMs = 600000;

struct ServiceDeleter {
    void operator()(IWebLog* service) const { DestroyExportObj(service); }
};

void LogRetryMax(const char* prefix, std::int32_t result, const UserLogRecord& record) {
    CVD_LOG << prefix << result << ", " << record.category << "###" << record.action;
}

// A failed record goes to the back of its queue, behind newer events, until it has been tried
// four times.
void Requeue(UserLogQueue& queue, UserLogRecord record, std::int32_t result,
             const char* logPrefix) {
    if (record.retryCount < kMaxRequeues) {
        UserLogRecord again = record;
        ++again.retryCount;
        if (queue.Push(std::move(again))) ++record.retryCount;
    }
    if (record.retryCount == kMaxRequeues) LogRetryMax(logPrefix, result, record);
}

}  // namespace

// Everything the sender thread uses; the thread holds its own reference.
struct CSingleUserLog::State {
    UserLogFacts facts = GatherUserLogFacts();

    std::mutex productMutex;
    ProductFacts product;
    int isNew = 0;

    std::atomic<bool> firstFunnelRecord{true};

    // Held around every call into the service.
    std::mutex reportingLock;
    std::unique_ptr<IWebLog, ServiceDeleter> service{CreateExportObj()};
    // Set when the owner goes away: from then on the service counts as gone. The service itself
    // is destroyed with this state, after a send in progress has finished.
    std::atomic<bool> retired{false};

    UserLogQueue ga4Queue{L"UserLogGA4Mutex"};
    UserLogQueue funnelQueue{L"UserLogFunnelMutex"};

    std::atomic<bool> stop{false};
    platform::Event wake{false, false};

    ProductFacts Product() {
        std::lock_guard guard(productMutex);
        return product;
    }

    bool HasService() const { return !retired && service != nullptr; }

    std::int32_t SendGa4(const ga4::Event& event) {
        if (!HasService()) return kNoService;  // before reading the process-wide settings
        const std::string measurementId =
            ga4::MeasurementId(CConfigure::Instance().Department, FuntionImpl::GATestAccount());
        const std::string parameters = ga4::EventParameters(measurementId, facts, Product(), event);
        std::lock_guard guard(reportingLock);
        return HasService() ? service->PostGa4Hit(parameters) : kNoService;
    }

    std::int32_t SendFunnel(const std::string& document) {
        std::lock_guard guard(reportingLock);
        return HasService() ? service->SoftDataReport(document) : kNoService;
    }

    void RunSender();
    // False when the queue's guard could not be taken.
    bool SendQueuedGa4();
    bool SendQueuedFunnel();
};

bool CSingleUserLog::State::SendQueuedGa4() {
    bool timedOut = false;
    std::optional<UserLogRecord> record = ga4Queue.Pop(timedOut);
    if (!record) return !timedOut;
    if (!HasService()) return true;  // dropped unsent
    const std::int32_t result = SendGa4({record->category, record->action, record->label});
    if (result != 0 && !retired)
        Requeue(ga4Queue, std::move(*record), result,
                "send ga4 fail in ga4 queue, retry is max, retcode = ");
    return true;
}

bool CSingleUserLog::State::SendQueuedFunnel() {
    bool timedOut = false;
    std::optional<UserLogRecord> record = funnelQueue.Pop(timedOut);
    if (!record) return !timedOut;
    if (!HasService()) return true;
    const std::int32_t result = SendFunnel(record->body);
    if (result != 0 && !retired)
        Requeue(funnelQueue, std::move(*record), result,
                "send funnel fail in funnel queue, retry is max, retcode = ");
    return true;
}

void CSingleUserLog::State::RunSender() {
    for (;;) {
        // Once the owner is gone the process may be exiting: touch nothing outside this state.
        if (retired) return;
        if (ga4Queue.LooksEmpty() && funnelQueue.LooksEmpty()) {
            if (stop) return;
            wake.Wait(kIdlePollMs);  // set early by a shut-down request
            continue;
        }
        if (!ga4Queue.LooksEmpty()) SendQueuedGa4();
        if (!funnelQueue.LooksEmpty()) SendQueuedFunnel();
    }
}

CSingleUserLog& CSingleUserLog::Instance() {
    static CSingleUserLog instance;
    return instance;
}

CSingleUserLog::CSingleUserLog() : state_(std::make_shared<State>()) {
    if (FuntionImpl::NoGA4() && FuntionImpl::NoBigData()) return;
    std::shared_ptr<State> state = state_;
    thread_ = platform::Thread::Start([state] { state->RunSender(); });
}

// Does not wait for the sender: a send in progress finishes on its own and the rest is dropped.
CSingleUserLog::~CSingleUserLog() {
    state_->retired = true;
    state_->stop = true;
    state_->wake.Set();
}

void CSingleUserLog::SetUserLogInfo(std::int32_t downloaderId, std::int32_t siteId,
                                    const std::string& productName, const std::string& downloadUrl,
                                    bool isToolkit, std::int32_t mainPid) {
    const int isNew = VisitFile::ForThisUser().UpdateIsNew(TodayLocal());
    std::lock_guard guard(state_->productMutex);
    state_->product =
        ProductFacts{downloaderId, siteId, productName, downloadUrl, isToolkit, mainPid};
    state_->isNew = isNew;
}

std::int32_t CSingleUserLog::AddUserLog(const std::string& category, const std::string& action,
                                        const std::string& label, bool bWait) {
    if (FuntionImpl::NoGA4()) return kSwitchedOff;
    if (!bWait) {
        state_->ga4Queue.Push(UserLogRecord{0, category, action, label, std::string()});
        return 0;
    }
    if (!state_->HasService()) return kNoService;
    std::int32_t result = 0;
    for (int attempt = 0; attempt < kWaitedAttempts; ++attempt)
        if ((result = state_->SendGa4({category, action, label})) == 0) return 0;
    LogRetryMax("send ga4 fail, bWait = true, retry is max, retcode = ", result,
                UserLogRecord{0, category, action, label, std::string()});
    return result;
}

std::string CSingleUserLog::FunnelDocumentFor(const std::string& category,
                                              const std::string& action,
                                              const std::map<std::string, std::string>& properties,
                                              bool subProgram) {
    const ProductFacts product = state_->Product();
    FunnelFacts facts;
    {
        std::lock_guard guard(state_->productMutex);
        facts.isNew = state_->isNew;
    }
    facts.productName = product.productName;
    facts.productVersion = FuntionImpl::Utf16ToUtf8(CConfigure::Instance().GetSoftware_version());
    facts.sourceTag = state_->facts.sourceTag;
    facts.ownVersion = state_->facts.ownVersion;
    facts.languageIndex = CConfigure::Instance().GetLanguageIndex();
    facts.isToolkit = product.isToolkit;
    facts.mainPid = product.mainPid;
    if (state_->firstFunnelRecord.exchange(false))
        VisitFile::ForThisUser().RecordVersion(facts.ownVersion);
    return BuildFunnelDocument(facts, FunnelEvent{category, action, properties, subProgram});
}

std::int32_t CSingleUserLog::AddUserLog_funnel(const std::string& category,
                                               const std::string& action,
                                               const std::map<std::string, std::string>& properties,
                                               bool bWait, bool subProgram) {
    if (FuntionImpl::NoBigData()) return kSwitchedOff;
    std::string document = FunnelDocumentFor(category, action, properties, subProgram);
    if (!bWait) {
        state_->funnelQueue.Push(UserLogRecord{0, "", "", "", std::move(document)});
        return 0;
    }
    if (!state_->HasService()) return kNoService;
    std::int32_t result = 0;
    for (int attempt = 0; attempt < kWaitedAttempts; ++attempt)
        if ((result = state_->SendFunnel(document)) == 0) return 0;
    LogRetryMax("send funnel fail, bWait = true, retry is max, retcode = ", result,
                UserLogRecord{0, category, action, "", ""});
    return result;
}

std::int32_t CSingleUserLog::AddUserLog_funnel(const std::string& category,
                                               const std::string& action, const std::string& key,
                                               const std::string& value, bool bWait,
                                               bool subProgram) {
    std::map<std::string, std::string> properties;
    if (!key.empty()) properties[key] = value;
    return AddUserLog_funnel(category, action, properties, bWait, subProgram);
}

bool CSingleUserLog::WaitThreadForExit() {
    CVD_LOG << "CSingleUserLog WaitThreadForExit";
    state_->stop = true;
    state_->wake.Set();
    if (thread_) thread_->Wait(kExitWaitMs);
    return true;
}

std::string CSingleUserLog::BucketLabel(std::int64_t value, std::int64_t width,
                                        const std::string& unit) {
    // A zero width would divide by zero; every value then falls into the one empty bucket.
    const std::int64_t low = width == 0 ? 0 : value / width * width;
    return "[" + std::to_string(low) + "~" + std::to_string(low + width) + "]" + unit;
}
