// Results of the download engine and their analytics codes.
#pragma once

#include <cstdint>

enum EnumErrorCode : std::int32_t {
    Success = 1,
    TaskFileSizeChanged = 2,
    TaskFileRangesBroken = 3,
    ContentLengthFailed = 6,
    OpenPackageFileFailed = 7,
    NoWorkerThread = 8,
    NetworkDown = 9,
    NoProgressTimeout = 10,
    TooManyRequestFailures = 11,
    DownloadIncomplete = 12,
    TooManyRedirects = 13,
    NoPackageUrl = 14,
    FileTooSmall = 15,
    ForcedExit = 16,
};

// The DL code an engine result is reported with, or nullptr for results that report nothing
// (success, forced exit, no package URL and unknown values).
const char* FlowErrorCode(std::int32_t code);

// Sends the error events of `code`: the funnel event, then the GA4 event. Nothing for codes
// without a DL code. Fire-and-forget.
void reportFlowError(std::int32_t code, bool subProgram);
