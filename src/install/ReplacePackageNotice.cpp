#include "install/ReplacePackageNotice.h"

#include "config/CConfigure.h"
#include "platform/NoticeBox.h"
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
    auto box = platform::NoticeBox::Show(L"提示", text);
    // A box that cannot be shown lets the install go on; shut-down does not wait for the tester.
    while (box && !box->WaitClosed(1000) && !CConfigure::Instance().GetIsExiting()) {
    }
}

}  // namespace install
