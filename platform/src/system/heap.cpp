#include "platform/heap.h"

#include <cstdlib>

#include "platform/fileapi.h"

namespace {
char g_processHeap;  // the process heap's handle; blocks come from malloc
}  // namespace

HANDLE GetProcessHeap() { return &g_processHeap; }

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (heap != &g_processHeap) return nullptr;
    void* p = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
    if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return p;
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID memory) {
    if (heap != &g_processHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::free(memory);
    return TRUE;
}
