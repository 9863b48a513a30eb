// Per-language privacy and licence links from the data service, stored in the configuration's
// PrivacyLinks; the window's links fall back to the document's when a language has none.
#pragma once

#include <json/value.h>

namespace content {

// Thread body: one request pass, then the links are stored. Always 0.
unsigned GetCbsPrivacy();

// Stores the entries of a privacy answer (a top-level array) and reports DL005 when a terms
// ("tc") link is empty and DL004 when a privacy ("p") link is empty, once each.
void ApplyPrivacyAnswer(const Json::Value& answer);

}  // namespace content
