// The toolkit reports what it cannot build through a sink that the application installs, so the
// library has no logging dependency of its own. The default sink writes to standard error.
#pragma once

#include <functional>
#include <string>

namespace toolkit {

using LogSink = std::function<void(const std::string& line)>;

void SetLogSink(LogSink sink);
void Log(const std::string& line);

}  // namespace toolkit
