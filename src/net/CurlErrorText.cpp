// The log-only explainer of libcurl result codes.
#include <map>
#include <string>

#include "net/CLibcurlTool.h"
#include "sys/Log.h"

namespace {

const std::map<int, const char*>& ErrorTexts() {
    static const std::map<int, const char*> texts = {
        {1, " ProtoControl Unsupport!"},
        {2, " Init Failed!"},
        {3, " Curl RemotePath Error"},
        {4, " libcurl InitFailed，Please Try again!"},
        {5, " Cannt resovlve proxy!"},
        {6, " cannt resovlve server!"},
        {7, " Curl Connect Server Error"},
        {8, " FTP服务器非法回复"},
        {9, " Acess Denied!"},
        {10, " FTP连接失败"},
        {11, " FTP服务器未知回复"},
        {12, " FTP连接超时"},
        {13, " Curl unknow error!"},
        {14, " Curl unknow error!"},
        {15, " 内部故障"},
        {16, " HTTP2错误"},
        {17, " FTP获取传输类型失败"},
        {18, " 服务器返回文件大小非法"},
        {22, " HTTP请求错误"},
        {23, " 接收数据错误"},
        {25, " 上传数据错误"},
        {26, " 本地文件读取错误"},
        {27, " 内存不足"},
        {28, " Curl Time out"},
        {30, " FTP端口失败"},
        {33, " 请求的数据范围错误"},
    };
    return texts;
}

}  // namespace

int CLibcurlTool::figureError(CURLcode code) {
    const auto found = ErrorTexts().find(static_cast<int>(code));
    if (found != ErrorTexts().end())
        CVD_LOG << found->second;
    else
        CVD_LOG << " Curl Else Error: " << static_cast<int>(code);
    return 1;
}
