// The request loop the privacy and banner threads share: up to three GETs 100 ms apart, a
// timing event per attempt, then the answer convention of the data service (a top-level array,
// or an object whose "code" must be 200 when the text mentions "code").
#pragma once

#include <json/value.h>

#include <string>

namespace content {

// The log texts and timing event that tell the two requests apart.
struct DataServiceRequest {
    const char* attemptLine;  // " Get Cbs tcp1: "
    const char* timingCategory;
    const char* timingAction;
    const char* timingKey;
    const char* parseLine;  // " Get Cbs tcp2: "
    const char* failLine;   // " Get Cbs tcp fail: "
};

extern const DataServiceRequest kPrivacyRequest;
extern const DataServiceRequest kBannerRequest;

// Fetches `url` and reads the answer; false when every attempt failed or the answer is a
// failure (unparsable, or a "code" other than 200).
bool FetchDataServiceAnswer(const std::string& url, const DataServiceRequest& request,
                            Json::Value& answer);

// The answer convention alone, for a body already fetched.
bool ReadDataServiceAnswer(const std::string& body, const DataServiceRequest& request,
                           Json::Value& answer);

}  // namespace content
