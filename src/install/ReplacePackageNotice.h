// The notice of the debug switch ReplacePackage: the package has been downloaded and verified;
// the tester replaces it by hand and closes the notice to let the install go on.
#pragma once

#include <string>

namespace install {

// "提示" / "程序包下载已完成且通过了校验，请手动替换程序包再继续。程序包路径是：" CR LF path.
std::wstring ReplacePackageText(const std::wstring& packagePath);

// Shows the notice as a plain X box (xmessage) and returns once it is closed. Runs on the
// install thread: the box is a process of its own, so the UI thread keeps painting.
void ShowReplacePackageNotice(const std::wstring& packagePath);

}  // namespace install
