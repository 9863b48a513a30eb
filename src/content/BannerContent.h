// The promotional banners of the running page: the list from the data service, one picture per
// banner downloaded into the work directory with the download engine, a record per picture in
// the configuration's BannerInfo, and WM_INSTALL_BANNER_READY to the window once every picture
// arrived.
#pragma once

#include <json/value.h>

#include <functional>
#include <string>

class IMessageTarget;

namespace content {

// Whether a downloaded file is a picture the window can show.
using PictureCheck = std::function<bool(const std::wstring& path)>;

// The toolkit's image loader on the file's bytes; the picture is released at once.
bool IsLoadablePicture(const std::wstring& path);

// Thread body: one request pass, then the pictures. Always 0.
unsigned GetCbsBanner(IMessageTarget* window);

// Downloads and records the banners of an answer (a top-level array); posts the ready message
// to `window` when there was at least one banner and every picture arrived. The number of
// pictures stored.
int ApplyBannerAnswer(const Json::Value& answer, IMessageTarget* window,
                      const PictureCheck& isPicture = IsLoadablePicture);

}  // namespace content
