// The program's one logger, "default" of easylogging++. Every log call goes through CVD_LOG, so
// each line carries its source unit, line and function. Usage: CVD_LOG << " Wait exit 1";
#pragma once

#include <string>

#include <easylogging++.h>

#define CVD_LOG CLOG(INFO, "default")

namespace FuntionImpl {

// Reconfigures "default": library defaults for every level, then Info to the file `logFile`
// (UTF-8) and standard output in the format "%datetime--[Thread](%thread) %msg".
void ConfigureLogger(const std::string& logFile);

}  // namespace FuntionImpl
