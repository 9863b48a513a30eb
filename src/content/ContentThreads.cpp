#include "content/ContentThreads.h"

#include "content/DownloadInfoQuery.h"
#include "sys/Log.h"

namespace content {

unsigned AsyncGetCbsInfoThreadFunc() {
    CVD_LOG << "first get download info";
    getDownloadInfoServer(false);
    return 0;
}

}  // namespace content
