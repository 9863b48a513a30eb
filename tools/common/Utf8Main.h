// A tool's entry with its arguments as UTF-8 on every system. The tool defines Utf8Main; the
// entry library of the system (cvd_tool_entry) holds the program's real entry and calls it, so
// a folder named in Cyrillic reaches the tool whole on Windows too, where the narrow arguments
// of main would be in the ANSI code page.
#pragma once

int Utf8Main(int argc, char** argv);
