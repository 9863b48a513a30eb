#include "telemetry/SingleUserLog.h"
