// The program's one logger, "default" of easylogging++. Every log call goes through CVD_LOG, so
// each line carries its source unit, line and function. Usage: CVD_LOG << " Wait exit 1";
#pragma once

#include <easylogging++.h>

#include <string>

#define CVD_LOG CLOG(INFO, "default")

namespace FuntionImpl {

// Reconfigures "default": library defaults for every level, then Info appended to the file
// `logFile` (its folders made when missing; never inherited by a program we start) and to
// standard output, in the format "%datetime--[Thread](%thread) %msg".
void ConfigureLogger(const std::wstring& logFile);

}  // namespace FuntionImpl
