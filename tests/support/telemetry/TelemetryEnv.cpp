#include "TelemetryEnv.h"

#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "sys/Log.h"

namespace cvdtest {

namespace fs = std::filesystem;

void PointTelemetryAt(const std::string& host) {
    for (auto key :
         {endpoint::kGa4Collection, endpoint::kCollectorProduction, endpoint::kCollectorTest,
          endpoint::kLogUploadServer, endpoint::kLegacyConnectivityCheck,
          endpoint::kLegacyServiceList, endpoint::kLegacyTicketApi, endpoint::kLegacyUaCollector,
          endpoint::kLegacyGeolocation})
        Endpoints::Instance().Set(key, host);
}

TelemetryEnv::TelemetryEnv(const std::string& host) {
    fs::create_directories(WorkDir());
    fs::create_directories(env_.Tmp());
    previousDir_ = fs::current_path();
    fs::current_path(WorkDir());
    logFile_ = env_.Root() / "logs" / "installer.log";
    FuntionImpl::ConfigureLogger(logFile_.wstring());
    CConfigure::Instance().ResetForTesting();
    PointTelemetryAt(host);
}

TelemetryEnv::~TelemetryEnv() {
    Endpoints::Instance().Clear();
    CConfigure::Instance().ResetForTesting();
    std::error_code ignored;
    fs::current_path(previousDir_, ignored);
}

std::string TelemetryEnv::LogText() const {
    el::Loggers::flushAll();
    return ReadFile(logFile_);
}

}  // namespace cvdtest
