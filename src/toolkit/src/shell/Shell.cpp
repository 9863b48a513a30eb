#include "toolkit/Shell.h"

#include <cstdio>
#include <cstdlib>

namespace toolkit {

void FailLayoutDocument(const std::string& document) {
    ShowErrorBox(kToolkitName, "加载资源文件失败：" + document);
    // Other threads (downloads, queries, the log sender) are still running: destroying the
    // statics they use under them could crash or hang. Only buffered output is worth saving.
    std::fflush(nullptr);
    std::_Exit(1);
}

}  // namespace toolkit
