// Reading server answers with JsonCpp without ever throwing: JsonCpp throws when a member is
// read from a value of the wrong type, and an answer is untrusted input.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>

namespace content {

// Parses with the default reader settings; `errors` receives the reader's error text.
bool ParseJson(const std::string& text, Json::Value& root, std::string& errors);

// The member as a string; "" when `object` is no object or the member is no string.
std::string StringMember(const Json::Value& object, const char* name);
// The member as an integer; `fallback` when it is absent or no integral number in range.
std::int32_t IntMember(const Json::Value& object, const char* name, std::int32_t fallback = 0);
// The member when `object` is an object, else null.
const Json::Value& Member(const Json::Value& object, const char* name);

}  // namespace content
