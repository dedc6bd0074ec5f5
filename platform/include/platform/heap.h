// The process heap.
#pragma once
#include "platform/wintypes.h"

#ifndef _WIN32

#define HEAP_ZERO_MEMORY 0x00000008u

HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory);

#endif  // _WIN32
