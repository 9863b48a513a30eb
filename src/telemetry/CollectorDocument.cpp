#include "telemetry/CollectorDocument.h"

namespace {

// Copies `from[name]` into `to[as]`, or the default when `from` has no such member.
struct Copier {
    const Json::Value& from;
    void operator()(Json::Value& to, const char* as, const char* name,
                    const Json::Value& fallback) const {
        to[as] = from.isObject() && from.isMember(name) ? from[name] : fallback;
    }
    void operator()(Json::Value& to, const char* name, const Json::Value& fallback) const {
        (*this)(to, name, name, fallback);
    }
};

Json::Value Common(const Copier& copy, const CollectorIdentity& identity) {
    const Json::Value empty("");
    const Json::Value null;
    Json::Value common(Json::objectValue);
    common["uid"] = identity.uid;
    common["session_id"] = identity.sessionId;
    copy(common, "pid", Json::Value(0));
    copy(common, "brand", empty);
    copy(common, "model", empty);
    copy(common, "channel", empty);
    copy(common, "is_new", Json::Value(0));
    common["mac"] = "";
    common["os"] = identity.os;
    common["os_version"] = identity.osVersion;
    copy(common, "product", empty);
    copy(common, "product_version", empty);
    copy(common, "email", empty);
    copy(common, "phone", empty);
    copy(common, "is_vip", null);
    copy(common, "is_login", null);
    copy(common, "user_id", null);
    copy(common, "cross_end_id", null);
    copy(common, "source_type", null);
    copy(common, "rnclid", null);
    copy(common, "tools_version", empty);
    copy(common, "tools_lang", empty);
    copy(common, "kit_type", empty);
    return common;
}

Json::Value Monitor(const Copier& copy) {
    const Json::Value empty("");
    const Json::Value zero(0);
    Json::Value monitor(Json::objectValue);
    copy(monitor, "monitor_type", "monitor_type", empty);
    copy(monitor, "guid", "monitor_guid", empty);
    Json::Value& param = monitor["param"];
    copy(param, "start_time", "monitor_start_time", Json::Value(Json::Int64(0)));
    copy(param, "error_time", "monitor_error_time", Json::Value(Json::Int64(0)));
    copy(param, "line_id", "monitor_line_id", zero);
    copy(param, "error_code", "monitor_error_code", empty);
    copy(param, "total_memory", "monitor_total_memory", empty);
    copy(param, "remain_memory", "monitor_remain_memory", empty);
    Json::Value& ext = param["ext"];
    copy(ext, "parent_pid", "monitor_main_pid", zero);
    copy(ext, "pid", "monitor_sub_pid", zero);
    copy(ext, "ext_others", "monitor_ext1", empty);
    copy(param, "user_ext", "monitor_user_ext", empty);
    return monitor;
}

}  // namespace

const char* ReportPlatformName() { return "Linux"; }

Json::Value BuildCollectorDocument(const Json::Value& funnel, const CollectorIdentity& identity) {
    const Copier copy{funnel};
    const bool isObject = funnel.isObject();
    Json::Value document(Json::objectValue);
    document["common"] = Common(copy, identity);
    if (isObject && funnel.isMember("entry")) copy(document["start"], "entry", Json::Value(""));
    copy(document, "actions", Json::Value());
    if (isObject && funnel.isMember("monitor_type")) document["monitor"] = Monitor(copy);
    document["ts"] = Json::Int64(identity.ts);
    return document;
}
