// CloseHandle for every kind of object in the handle table: files, kernel objects, tokens.
#include "files/handles.h"
#include "objects/pseudo_handles.h"
#include "platform/fileapi.h"

BOOL CloseHandle(HANDLE handle) {
    // The pseudo handles of the process and the thread stand for no entry; closing them is allowed.
    if (platform::objects::IsCurrentProcess(handle) || platform::objects::IsCurrentThread(handle)) return TRUE;
    // The object (a file's descriptor and share markers, a kernel object's file and locks) goes
    // when its last user lets go.
    if (!platform::handles::Unregister(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
