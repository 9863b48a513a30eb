#include "telemetry/FunnelDocument.h"

#include <json/json.h>

#include "config/LanguageTables.h"

namespace {

Json::Value ActionObject(const FunnelEvent& event) {
    Json::Value action(Json::objectValue);
    action["event_type"] = "event";
    action["event_category"] = event.category;
    action["event_action"] = event.action;
    for (const auto& [key, value] : event.properties)
        if (!key.empty()) action[key] = value;
    return action;
}

int KitType(const FunnelFacts& facts, const FunnelEvent& event) {
    if (event.subProgram) return 2;
    return facts.isToolkit ? 1 : 0;
}

}  // namespace

std::string BuildFunnelDocument(const FunnelFacts& facts, const FunnelEvent& event) {
    Json::Value document(Json::objectValue);
    document["is_new"] = facts.isNew;
    document["brand"] = "PC";
    document["model"] = "PC";
    document["product"] = facts.productName;
    document["product_version"] = facts.productVersion;
    document["email"] = "";
    document["phone"] = "";
    document["cross_end_id"] = facts.sourceTag;
    document["rnclid"] = facts.sourceTag;
    document["source_type"] = "downloader";
    document["tools_version"] = facts.ownVersion;
    document["tools_lang"] = LanguageCodeOf(facts.languageIndex);
    document["kit_type"] = KitType(facts, event);
    document["actions"].append(ActionObject(event));
    document["pid"] = facts.mainPid;
    return document.toStyledString();
}
