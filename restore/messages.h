// The restore tool's message texts (code page 950) and its string table.
#pragma once

namespace restore::messages {

extern const char kTitle[];
extern const char kBackupMissing[];
extern const char kDone[];
extern const char kDoneWithVersion[];  // one %s: the version text

}  // namespace restore::messages
