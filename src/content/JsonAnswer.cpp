#include "content/JsonAnswer.h"

#include <json/reader.h>

#include <memory>

namespace content {

bool ParseJson(const std::string& text, Json::Value& root, std::string& errors) {
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    errors.clear();
    try {
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
    } catch (const std::exception& error) {  // nesting limits throw
        errors = error.what();
        return false;
    }
}

const Json::Value& Member(const Json::Value& object, const char* name) {
    static const Json::Value null;
    if (!object.isObject()) return null;
    const Json::Value* member = object.find(name, name + std::char_traits<char>::length(name));
    return member ? *member : null;
}

std::string StringMember(const Json::Value& object, const char* name) {
    const Json::Value& member = Member(object, name);
    return member.isString() ? member.asString() : std::string();
}

std::int32_t IntMember(const Json::Value& object, const char* name, std::int32_t fallback) {
    const Json::Value& member = Member(object, name);
    return member.isInt() ? member.asInt() : fallback;
}

}  // namespace content
