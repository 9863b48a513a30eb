#include "net/CLibcurlTool.h"
