// The restore of one backup file.
#pragma once

class Progress;
class RestoreReport;

// Checks the backup and restores it; 0 when the restore ran to its end, else the number of the
// string-table message that says why the backup was refused (nothing changed then). What the
// restore that ran could not do goes to report, its steps to progress (both may be null).
int RestoreBackup(const char* path, bool keepUserGlyphs, RestoreReport* report = nullptr,
                  const Progress* progress = nullptr);
