#include "install/ReplacePackageNotice.h"

#include "config/CConfigure.h"
#include "platform/Process.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace install {

std::wstring ReplacePackageText(const std::wstring& packagePath) {
    return L"程序包下载已完成且通过了校验，请手动替换程序包再继续。程序包路径是：\r\n" +
           packagePath;
}

void ShowReplacePackageNotice(const std::wstring& packagePath) {
    const std::wstring text = ReplacePackageText(packagePath);
    CVD_LOG << " ReplacePackage: " << FuntionImpl::Utf16ToUtf8(text);
    platform::ProcessOptions options;
    options.commandLine = L"xmessage -center -title " + platform::QuoteArgument(L"提示") + L" " +
                          platform::QuoteArgument(text);
    auto box = platform::Process::Start(options);
    // A box that cannot be shown lets the install go on; shut-down does not wait for the tester.
    while (box && !box->Wait(1000) && !CConfigure::Instance().GetIsExiting()) {
    }
}

}  // namespace install
