#include "restore_app.h"

#include <cstdio>
#include <cstring>

#include "backup_format.h"
#include "command_line.h"
#include "messages.h"
#include "platform/fileapi.h"
#include "platform/module.h"
#include "platform/winuser.h"
#include "progress.h"
#include "restore_backup.h"
#include "restore_report.h"

std::string BackupPathBesideProgram() {
    char path[511] = {};
    GetModuleFileNameA(nullptr, path, 511);
    char* slash = std::strrchr(path, '\\');
    std::string result = slash ? std::string(path, static_cast<size_t>(slash - path + 1)) : std::string();
    return result + "TQClient.tqb";
}

namespace {

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

CEudcRestoreApp::ExitCode CEudcRestoreApp::RunRestore() {
    using namespace restore::messages;
    const RestoreOptions options = ParseCommandLine(Arguments());
    // Asking how to use the program touches nothing.
    if (options.help) {
        MessageBoxA(nullptr, Text(kUsage).c_str(), kTitle, MB_OK);
        return kExitRestored;
    }
    if (options.showVersion) {
        MessageBoxA(nullptr, "eudcrestore " EUDC_VERSION, kTitle, MB_OK);
        return kExitRestored;
    }
    const std::string backupPath = BackupPathBesideProgram();
    if (!FileExists(backupPath)) {
        MessageBoxA(nullptr, kBackupMissing, kTitle, MB_ICONERROR);
        return kExitBackupMissing;
    }
    RestoreReport report;
    const Progress progress(options.verbose);
    const int refused = RestoreBackup(backupPath.c_str(), true, &report, &progress);
    if (refused != 0) {
        char text[512] = {};
        LoadStringA(m_hInstance, static_cast<UINT>(refused), text, sizeof text);
        MessageBoxA(nullptr, text, kTitle, MB_ICONERROR);
        return kExitRefused;
    }
    // What did not succeed is always told, silent or not.
    if (!report.Complete()) {
        MessageBoxA(nullptr, report.Message().c_str(), kTitle, MB_ICONERROR);
        return kExitIncomplete;
    }
    if (!options.silent) {
        if (!options.versionText.empty()) {
            std::string text(std::strlen(kDoneWithVersion) + options.versionText.size() + 1, '\0');
            std::snprintf(text.data(), text.size(), kDoneWithVersion, options.versionText.c_str());
            MessageBoxA(nullptr, text.c_str(), kTitle, MB_OK);
        } else {
            MessageBoxA(nullptr, kDone, kTitle, MB_OK);
        }
    }
    return kExitRestored;
}

BOOL CEudcRestoreApp::InitInstance() {
    CWinApp::InitInstance();
    exitCode_ = RunRestore();
    // No main window: reporting failure ends the program here.
    return FALSE;
}

int CEudcRestoreApp::ExitInstance() { return exitCode_; }
