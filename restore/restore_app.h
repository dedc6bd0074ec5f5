// The restore tool's application object: it does all its work during start-up and never opens a
// window of its own.
#pragma once
#include <string>

#include "platform/app.h"

class CEudcRestoreApp : public CWinApp {
public:
    // Process exit codes.
    enum ExitCode { kExitRestored = 0, kExitBackupMissing = 1, kExitRefused = 2, kExitIncomplete = 3 };

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The restore driver: finds the backup beside the program, restores it and shows the outcome.
    ExitCode RunRestore();

private:
    ExitCode exitCode_ = kExitRestored;
};

// The backup's path: the program's folder followed by "TQClient.tqb".
std::string BackupPathBesideProgram();
