#pragma once

#include <string>

#include "platform/Registry.h"

namespace FuntionImpl {

using platform::RegistryRoot;

// The string value, or empty when the key or value cannot be read.
std::wstring ReadRegistryString(RegistryRoot root, const std::wstring& key,
                                const std::wstring& value);
// Creates the key when missing; true on success.
bool WriteRegistryString(RegistryRoot root, const std::wstring& key, const std::wstring& value,
                         const std::wstring& text);

}  // namespace FuntionImpl
