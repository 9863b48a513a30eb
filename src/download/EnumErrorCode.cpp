#include "download/EnumErrorCode.h"

#include "download/DownloadEvents.h"

const char* FlowErrorCode(std::int32_t code) {
    switch (code) {
        case TaskFileSizeChanged: return "DL025";
        case TaskFileRangesBroken: return "DL026";
        case ContentLengthFailed: return "DL012";
        case OpenPackageFileFailed: return "DL027";
        case NoWorkerThread: return "DL028";
        case NetworkDown: return "DL010";
        case NoProgressTimeout: return "DL011";
        case TooManyRequestFailures: return "DL029";
        case DownloadIncomplete: return "DL030";
        case TooManyRedirects: return "DL022";
        case FileTooSmall: return "DL031";
        default: return nullptr;
    }
}

void reportFlowError(std::int32_t code, bool subProgram) {
    const char* dlCode = FlowErrorCode(code);
    if (!dlCode) return;
    IDownloadEvents& events = DownloadEvents();
    events.funnel("ErrorReporting", "Error", subProgram ? "SubErrorType" : "MainErrorType",
                  dlCode);
    events.ga4("Other", subProgram ? "FlowErrorIsChToolKitErrorCode" : "FlowError", dlCode);
}
