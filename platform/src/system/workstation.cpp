#include "platform/workstation.h"

#include "prefix.h"

DWORD CheckWorkstationWritable() { return platform::prefix::WineServerRunning() ? ERROR_BUSY : ERROR_SUCCESS; }
