// The restore of one backup file.
#pragma once

// Checks the backup and restores it; 0 when the restore ran to its end, else the number of the
// string-table message that says why the backup was refused.
int RestoreBackup(const char* path, bool keepUserGlyphs);
