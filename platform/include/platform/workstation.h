// Whether the workstation's own state (its registry and files) may be changed now. On Windows it
// always may. Over a Wine prefix it may not while Wine's server runs on the prefix: the server
// keeps the registry in memory and writes it back when it ends, over whatever we wrote.
#pragma once
#include "platform/wintypes.h"

#ifdef _WIN32
inline DWORD CheckWorkstationWritable() { return ERROR_SUCCESS; }
#else
// ERROR_SUCCESS, or ERROR_BUSY while Wine's server runs on the prefix.
DWORD CheckWorkstationWritable();
#endif
