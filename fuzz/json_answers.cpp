// The JSON answers of the data and content services: banners, privacy links, sub-programs and
// the geolocation answer. Reading never throws whatever the types; no name an answer gives ever
// leads a file outside the work folder. The first input byte picks the answer kind.
#include <filesystem>
#include <string>

#include "FuzzCheck.h"
#include "QuietDownload.h"
#include "config/CConfigure.h"
#include "content/JsonAnswer.h"
#include "content/PrivacyLinks.h"
#include "content/ServerPaths.h"
#include "sys/FileNamePart.h"
#include "sys/TextConvert.h"

namespace {

using namespace content;

const std::wstring& WorkFolder() {
    static const std::wstring folder = FuntionImpl::Utf8ToUtf16(fuzz::PrivateHome() + "/work/");
    return folder;
}

// A path accepted for a file of the answer is one plain name directly inside the work folder.
void CheckInWorkFolder(const std::wstring& path) {
    FUZZ_CHECK(path.size() > WorkFolder().size());
    FUZZ_CHECK(path.compare(0, WorkFolder().size(), WorkFolder()) == 0);
    const std::wstring name = path.substr(WorkFolder().size());
    FUZZ_CHECK(name.find_first_of(L"/\\") == std::wstring::npos);
    FUZZ_CHECK(name.find(L'\0') == std::wstring::npos);
    FUZZ_CHECK(name != L"." && name != L"..");
    FUZZ_CHECK(FuntionImpl::IsSafeFileNamePart(name));
}

void Banners(const Json::Value& answer) {
    for (Json::ArrayIndex i = 0; answer.isArray() && i < answer.size(); ++i) {
        const Json::Value& banner = answer[i];
        const std::wstring url = FuntionImpl::Utf8ToUtf16(StringMember(banner, "banner_url"));
        (void)StringMember(banner, "jump_url");
        (void)StringMember(banner, "prompt");
        const auto path = BannerPicturePath(WorkFolder(), IntMember(banner, "sort"), url);
        if (path) CheckInWorkFolder(*path);
    }
}

void SubPrograms(const Json::Value& answer) {
    const Json::Value& data = Member(answer, "data");
    (void)IntMember(answer, "status");
    for (Json::ArrayIndex i = 0; data.isArray() && i < data.size(); ++i) {
        const Json::Value& item = data[i];
        (void)IntMember(item, "pid");
        (void)IntMember(item, "parent_pid", -1);
        const std::wstring download = FuntionImpl::Utf8ToUtf16(StringMember(item, "download"));
        const std::wstring version = FuntionImpl::Utf8ToUtf16(StringMember(item, "version"));
        if (const auto path = SubProgramLocalPath(WorkFolder(), download, version))
            CheckInWorkFolder(*path);
    }
}

void Privacy(const Json::Value& answer) {
    ApplyPrivacyAnswer(answer);
    for (Json::ArrayIndex i = 0; answer.isArray() && i < answer.size(); ++i)
        (void)CConfigure::Instance().GetPrivacyLink(StringMember(answer[i], "lang_code"));
}

void Geolocation(const Json::Value& answer) {
    const std::string code = StringMember(answer, "countryCode");
    CConfigure::Instance().SetCountryCode(FuntionImpl::Utf8ToUtf16(code));
    FUZZ_CHECK(FuntionImpl::Utf16ToUtf8(CConfigure::Instance().GetCountryCode()).size() <=
               code.size() * 3);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::QuietDownloadTarget();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    const auto kind = in.Take<std::uint8_t>();
    const std::string text = in.Rest();
    Json::Value answer;
    std::string errors;
    if (!ParseJson(text, answer, errors)) return 0;
    // Any member read from any value, of any type, answers without throwing.
    (void)StringMember(answer, "x");
    (void)IntMember(answer, "x", 7);
    (void)Member(answer, "x");
    switch (kind % 4) {
        case 0:
            Banners(answer);
            break;
        case 1:
            Privacy(answer);
            break;
        case 2:
            SubPrograms(answer);
            break;
        default:
            Geolocation(answer);
            break;
    }
    return 0;
}
