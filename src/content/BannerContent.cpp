#include "content/BannerContent.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "config/CConfigure.h"
#include "content/ContentEvents.h"
#include "content/DataServiceRequest.h"
#include "content/DataServiceUrls.h"
#include "content/JsonAnswer.h"
#include "content/MessageTarget.h"
#include "content/ServerPaths.h"
#include "download/CDownLoadImpl.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"
#include "toolkit/ImageCheck.h"

namespace content {
namespace {

constexpr int kPictureTries = 3;
// Banner pictures are small; a larger file is not one of ours.
constexpr long kMaxPictureBytes = 32L * 1024 * 1024;

BannerRecord RecordOf(const Json::Value& banner) {
    BannerRecord record;
    record.banner_url = FuntionImpl::Utf8ToUtf16(StringMember(banner, "banner_url"));
    record.jump_url = FuntionImpl::Utf8ToUtf16(StringMember(banner, "jump_url"));
    record.prompt = FuntionImpl::Utf8ToUtf16(StringMember(banner, "prompt"));
    record.sort = IntMember(banner, "sort");
    return record;
}

// Up to three downloads; true once one succeeded.
bool DownloadPicture(const BannerRecord& record, const std::string& progress) {
    for (int attempt = 0; attempt < kPictureTries; ++attempt) {
        CVD_LOG << " Get Cbs Ban4: " << progress << ", " << attempt << "/" << kPictureTries;
        const std::uint32_t start = platform::TickCount();
        std::string cdn;
        const int result = CDownLoadImpl().SuperDownloadFile(record.banner_url, record.picture_path,
                                                             cdn, false, false);
        ReportElapsed("Download", "DownloadCarouselImagesTime",
                      "DownloadCarouselImagesTimeInterval", start);
        CVD_LOG << " Get Cbs Ban5: " << result;
        if (result == Success) return true;
    }
    return false;
}

}  // namespace

bool IsLoadablePicture(const std::wstring& path) {
    const platform::FilePtr in = platform::OpenFile(path, "rb");
    if (!in) return false;
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, in.get())) {
        bytes.insert(bytes.end(), buffer, buffer + count);
        if (bytes.size() > static_cast<std::size_t>(kMaxPictureBytes)) return false;
    }
    return toolkit::IsDecodableImage(bytes);
}

int ApplyBannerAnswer(const Json::Value& answer, IMessageTarget* window,
                      const PictureCheck& isPicture) {
    CConfigure& config = CConfigure::Instance();
    const Json::ArrayIndex count = answer.isArray() ? answer.size() : 0;
    int successes = 0;
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        BannerRecord record = RecordOf(answer[i]);
        const std::string progress = std::to_string(i) + "/" + std::to_string(count);
        CVD_LOG << " Get Cbs Ban3: " << FuntionImpl::Utf16ToUtf8(record.banner_url).size() << ", "
                << progress;
        if (record.banner_url.empty()) continue;
        const auto path =
            BannerPicturePath(config.GetWorkDirectory(), record.sort, record.banner_url);
        if (!path) {
            CVD_LOG << " Get Cbs Ban refused picture name: "
                    << FuntionImpl::Utf16ToUtf8(record.banner_url);
            continue;
        }
        record.picture_path = *path;
        if (!DownloadPicture(record, progress)) continue;
        if (isPicture(record.picture_path)) {
            ++successes;
            CVD_LOG << " Get Cbs Ban " << successes << " Success";
            config.SetBanner(record.sort, record);
        } else {
            CVD_LOG << " Get Cbs Ban " << successes << " Fail";
        }
    }
    if (count > 0 && successes == static_cast<int>(count)) {
        CVD_LOG << " Get Banner success";
        if (window) window->PostCustomMessage(WM_INSTALL_BANNER_READY, 0, 0);
    }
    return successes;
}

unsigned GetCbsBanner(IMessageTarget* window) {
    CVD_LOG << "get banner from server";
    CConfigure& config = CConfigure::Instance();
    const std::string url =
        GetBannerPicUrl(config.MainPid, static_cast<EnumLanguage>(config.GetLanguageIndex()));
    Json::Value answer;
    if (FetchDataServiceAnswer(url, kBannerRequest, answer)) ApplyBannerAnswer(answer, window);
    return 0;
}

}  // namespace content
