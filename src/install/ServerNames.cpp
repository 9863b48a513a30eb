#include "install/ServerNames.h"

#include "sys/FileNamePart.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace install {

bool IsPlainServerName(const std::wstring& name) {
    return !name.empty() && FuntionImpl::IsSafeFileNamePart(name);
}

bool AcceptServerName(const char* what, const std::wstring& name) {
    if (IsPlainServerName(name)) return true;
    CVD_LOG << " refused server name " << what << ": "
            << FuntionImpl::Utf16ToUtf8(FuntionImpl::PrintableNamePart(name));
    return false;
}

}  // namespace install
