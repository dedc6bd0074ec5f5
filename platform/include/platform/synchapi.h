// Named kernel objects: mutexes, events and file mappings, the waits on them, and the pseudo
// handles of the current process and thread.
#pragma once
#include "platform/fileapi.h"
#include "platform/wintypes.h"

#ifndef _WIN32

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define INFINITE 0xFFFFFFFFu

#define MUTEX_MODIFY_STATE 0x0001u
#define MUTEX_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | MUTEX_MODIFY_STATE)
#define EVENT_MODIFY_STATE 0x0002u
#define EVENT_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0x0003u)

#define SECTION_QUERY 0x0001u
#define SECTION_MAP_WRITE 0x0002u
#define SECTION_MAP_READ 0x0004u
#define SECTION_MAP_EXECUTE 0x0008u
#define SECTION_EXTEND_SIZE 0x0010u
#define SECTION_ALL_ACCESS                                                                               \
    (STANDARD_RIGHTS_REQUIRED | SECTION_QUERY | SECTION_MAP_WRITE | SECTION_MAP_READ | SECTION_MAP_EXECUTE | \
     SECTION_EXTEND_SIZE)
#define FILE_MAP_COPY 0x0001u
#define FILE_MAP_WRITE SECTION_MAP_WRITE
#define FILE_MAP_READ SECTION_MAP_READ
#define FILE_MAP_ALL_ACCESS SECTION_ALL_ACCESS

#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define PAGE_WRITECOPY 0x08u
#define SEC_COMMIT 0x08000000u

// Pseudo handles, valid in the calling process only; CloseHandle accepts and ignores them.
HANDLE GetCurrentProcess();
HANDLE GetCurrentThread();

// Names: "Global\" + name for the machine-wide namespace, name or "Local\" + name for the
// session's; case-sensitive. A null or empty name makes an unnamed object. Create on an existing
// name returns a handle to it with ERROR_ALREADY_EXISTS (last error 0 otherwise); a name held by
// another kind of object fails with ERROR_INVALID_HANDLE; Open of a missing name with
// ERROR_FILE_NOT_FOUND. README.md "Named kernel objects on the prefix" gives their form on disk.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, LPCSTR name);
HANDLE OpenMutexA(DWORD access, BOOL inherit, LPCSTR name);
// Fails with ERROR_NOT_OWNER unless the calling thread owns the mutex.
BOOL ReleaseMutex(HANDLE mutex);

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES sa, BOOL manualReset, BOOL initialState, LPCSTR name);
HANDLE OpenEventA(DWORD access, BOOL inherit, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Only mappings backed by the paging file (file = INVALID_HANDLE_VALUE); a file handle is refused
// with ERROR_NOT_SUPPORTED. Protection PAGE_READONLY, PAGE_READWRITE or PAGE_WRITECOPY.
HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES sa, DWORD protect, DWORD sizeHigh, DWORD sizeLow,
                          LPCSTR name);
HANDLE OpenFileMappingA(DWORD access, BOOL inherit, LPCSTR name);
// bytes 0 maps from the offset to the end. The offset is a multiple of 65536.
LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
// Any address inside a view unmaps the whole view.
BOOL UnmapViewOfFile(LPCVOID address);

// Mutexes and events; a file handle is always signalled. The wait polls the object, so a
// change made by another process is seen within about 10 ms.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

#endif  // _WIN32
