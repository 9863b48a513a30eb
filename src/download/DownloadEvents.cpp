#include "download/DownloadEvents.h"

#include <atomic>

namespace {

class DroppedEvents final : public IDownloadEvents {
public:
    void ga4(const std::string&, const std::string&, const std::string&) override {}
    void funnel(const std::string&, const std::string&, const std::string&,
                const std::string&) override {}
    void funnelBucket(const std::string&, const std::string&, const std::string&, std::int64_t,
                      std::int64_t, const std::string&) override {}
    void funnelProperties(const std::string&, const std::string&,
                          const std::map<std::string, std::string>&) override {}
};

DroppedEvents g_dropped;
std::atomic<IDownloadEvents*> g_sink{nullptr};

}  // namespace

IDownloadEvents& DownloadEvents() {
    IDownloadEvents* sink = g_sink.load();
    return sink ? *sink : g_dropped;
}

IDownloadEvents* SetDownloadEvents(IDownloadEvents* sink) { return g_sink.exchange(sink); }
