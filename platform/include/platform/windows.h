// The Win32 subset that the system uses.
#pragma once
#include "platform/wintypes.h"
#include "platform/fileapi.h"
#include "platform/heap.h"
#include "platform/winnls.h"
#include "platform/winreg.h"
#include "platform/sysinfo.h"
#include "platform/shell.h"
#include "platform/module.h"
#include "platform/winuser.h"
#include "platform/wingdi.h"
#include "platform/imm.h"
#include "platform/winver.h"
