// The progress line of the running page: the language file's `install_label` text is a printf
// format with one real-number conversion for the percent. The format comes from the skin, so it
// is never handed to printf whole: only one floating-point conversion is filled, "%%" becomes
// "%", and anything else that looks like a conversion is shown as it is written.
#pragma once

#include <string>

namespace ui {

std::string FormatProgressLine(const std::string& format, double percent);

}  // namespace ui
