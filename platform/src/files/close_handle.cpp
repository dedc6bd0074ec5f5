// CloseHandle for every kind of object in the handle table.
#include "files/handles.h"
#include "platform/fileapi.h"

BOOL CloseHandle(HANDLE handle) {
    // The object (and with it a file's descriptor and share markers) goes when its last user lets go.
    if (!platform::handles::Unregister(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
