// Names the server hands the install flow that end up inside a path: the product's process
// name and a sub-program's launch name and install folder. Each must stay a plain name inside
// the folder it is joined to.
#pragma once

#include <string>

namespace install {

// False for an empty name and for one the shared file-name rule refuses
// (FuntionImpl::IsSafeFileNamePart).
bool IsPlainServerName(const std::wstring& name);

// IsPlainServerName, logging "refused server name <what>: <name>" when it fails.
bool AcceptServerName(const char* what, const std::wstring& name);

}  // namespace install
