// The restore tool's message texts (code page 950) and its string table.
#pragma once
#include <string>

namespace restore::messages {

// Numbers of the string table's texts beyond the refusals of the backup format.
enum : unsigned {
    kIncomplete = 20177,    // one %s: the failures, one per line
    kSlotFailed = 20178,    // slot, face, path, reason
    kLinkNotWritten = 20179,  // face
    kGlyphsNotKept = 20180,   // slot, face, count
    kBoxTableNotWritten = 20181,  // path, reason
    kImeNotRegistered = 20182,    // the registration's result
    kReasonLock = 20190,
    kReasonNoPath,
    kReasonNotOurFile,
    kReasonSourceUnreadable,
    kReasonSourceGlyphDamaged,
    kReasonNoTemplate,
    kReasonGlyphNotStored,
    kReasonDiskFull,
    kReasonAccess,
    kReasonWineRunning,
    kReasonSystem,  // one %lu: the system's error code
    kReasonTemporaryFile,
    kReasonNoFolder,
    kUsage = 20210,
};

// The string-table text of the number, in code page 950; empty when there is none.
std::string Text(unsigned id);

extern const char kTitle[];
extern const char kBackupMissing[];
extern const char kDone[];
extern const char kDoneWithVersion[];  // one %s: the version text

}  // namespace restore::messages
