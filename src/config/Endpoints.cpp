#include "config/Endpoints.h"

#include "toolkit/Xml.h"

namespace {
constexpr const char* kEndpointsDocument = "configure\\endpoints.xml";
}

Endpoints& Endpoints::Instance() {
    static Endpoints instance;
    return instance;
}

bool Endpoints::Load() {
    toolkit::XmlDocument document;
    if (!document.LoadFromResource(kEndpointsDocument)) return false;
    ApplyDocument(document.Root());
    return true;
}

void Endpoints::ApplyDocument(const toolkit::XmlNode& root) {
    const toolkit::XmlNode entries = root ? root.FirstChild() : toolkit::XmlNode();
    if (!entries) return;
    std::lock_guard guard(mutex_);
    for (toolkit::XmlNode entry = entries.FirstChild(); entry; entry = entry.NextSibling())
        values_[entry.AttributeValue(0)] = entry.AttributeValue(1);
}

std::string Endpoints::Get(std::string_view key) const {
    std::lock_guard guard(mutex_);
    const auto found = values_.find(key);
    return found == values_.end() ? std::string() : found->second;
}

void Endpoints::Set(std::string_view key, const std::string& value) {
    std::lock_guard guard(mutex_);
    values_[std::string(key)] = value;
}

void Endpoints::Clear() {
    std::lock_guard guard(mutex_);
    values_.clear();
}
