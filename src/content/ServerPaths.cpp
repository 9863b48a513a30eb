#include "content/ServerPaths.h"

#include "sys/FileNamePart.h"

namespace content {
namespace {

std::wstring LastUrlSegment(const std::wstring& url) {
    const std::wstring path = url.substr(0, url.find_first_of(L"?#"));
    const std::size_t slash = path.rfind(L'/');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::optional<std::wstring> InFolder(const std::wstring& folder, const std::wstring& name) {
    if (!FuntionImpl::IsSafeFileNamePart(name)) return std::nullopt;
    return folder + name;
}

}  // namespace

void SplitUrlFileName(const std::wstring& url, std::wstring& stem, std::wstring& extension) {
    const std::wstring name = LastUrlSegment(url);
    const std::size_t dot = name.rfind(L'.');
    stem = name.substr(0, dot);
    extension = dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

std::optional<std::wstring> BannerPicturePath(const std::wstring& workDirectory,
                                              std::int32_t sort, const std::wstring& bannerUrl) {
    // The extension is taken from the whole URL's last '.', as the service's links expect.
    const std::size_t dot = bannerUrl.rfind(L'.');
    const std::wstring extension = dot == std::wstring::npos ? std::wstring() : bannerUrl.substr(dot);
    return InFolder(workDirectory, std::to_wstring(sort) + extension);
}

std::optional<std::wstring> SubProgramLocalPath(const std::wstring& workDirectory,
                                                const std::wstring& downloadUrl,
                                                const std::wstring& version) {
    std::wstring stem, extension;
    SplitUrlFileName(downloadUrl, stem, extension);
    return InFolder(workDirectory, stem + L"_" + version + extension);
}

}  // namespace content
