// The update server's download-information answer. What it names becomes parts of file and
// folder names (the product folder, the package file, the process to wait for): none of them may
// ever hold a separator or lead out of the work folder.
#include <string>

#include "FuzzCheck.h"
#include "QuietDownload.h"
#include "config/CConfigure.h"
#include "content/DownloadInfoQuery.h"
#include "content/ServerPaths.h"
#include "sys/FileNamePart.h"

namespace {

// One plain name: no separator, no NUL, no way up.
void CheckNamePiece(const std::wstring& name) {
    if (name.empty()) return;
    FUZZ_CHECK(name.find_first_of(L"/\\") == std::wstring::npos);
    FUZZ_CHECK(name.find(L'\0') == std::wstring::npos);
    FUZZ_CHECK(name != L"." && name != L"..");
    FUZZ_CHECK(FuntionImpl::IsSafeFileNamePart(name));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::QuietDownloadTarget();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    CConfigure& config = CConfigure::Instance();
    config.ResetForTesting();
    (void)content::HasDownloaderTags(answer);
    FUZZ_CHECK(content::readDownloadInfoFromServer(answer) == (answer.empty() ? 0 : 1));
    if (!answer.empty()) FUZZ_CHECK(config.GetLoadSource() == 1);
    CheckNamePiece(config.GetSoftware_name());
    CheckNamePiece(config.GetSoftware_version());
    CheckNamePiece(config.GetProcess_name());
    CheckNamePiece(config.GetProductFolderName());
    CheckNamePiece(config.GetPackageFileName());
    return 0;
}
