#include "foundation/file_open_mode.h"

bool DecodeFileOpenMode(FileOpenMode mode, FileOpenRequest& request) {
    using namespace file_open_mode;
    FileOpenRequest r;
    switch (mode & kAccessMask) {
    case kReadOnly: r.access = GENERIC_READ; break;
    case kWriteOnly: r.access = GENERIC_WRITE; break;
    case kReadWrite: r.access = GENERIC_READ | GENERIC_WRITE; break;
    default: return false;
    }
    switch (mode & kShareMask) {
    case kShareDefault:
    case kShareExclusive: r.share = 0; break;
    case kShareOthersRead: r.share = FILE_SHARE_READ; break;
    case kShareOthersWrite: r.share = FILE_SHARE_WRITE; break;
    case kShareOthersReadWrite: r.share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: return false;
    }
    if (mode & kCreate)
        r.disposition = (mode & kKeepExisting) ? OPEN_ALWAYS : CREATE_ALWAYS;
    else
        r.disposition = OPEN_EXISTING;
    r.inheritable = (mode & kInheritable) != 0;
    request = r;
    return true;
}
