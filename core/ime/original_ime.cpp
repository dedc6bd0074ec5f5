// Installing the Phonetic and Changjie IMEs from files the library carries. This build carries
// none (resources "DLL" 2030 and 2031), so nothing is installed; the path stays for builds that do.
#include <string>
#include <vector>

#include "common/own_resource.h"
#include "common/registry_helpers.h"
#include "common/system_folders.h"
#include "eudccore/ime_helpers.h"
#include "ime/ime_names.h"
#include "platform/windows.h"

namespace {

using namespace eudc::ime;

struct OriginalIme {
    const char* name;
    UINT resource;
    const char* file;
    const char* layoutKey;
    const char* imeFile;
};

const OriginalIme kOriginalImes[] = {
    {kZhuyin, 2030, "phon.ime", "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0010404", "PHON.IME"},
    {kChangjie, 2031, "chajei.ime", "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0020404", "CHAJEI.IME"},
};

bool WriteAll(HANDLE file, const std::vector<BYTE>& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void InstallIfMissing(const OriginalIme& ime, const std::string& systemFolder) {
    if (RegisterWord_FindHKL(ime.name)) return;
    const DWORD size = eudc::LoadOwnResource(ime.resource);
    if (size == 0) return;
    std::vector<BYTE> bytes(size);
    if (eudc::LoadOwnResource(ime.resource, bytes.data()) != size) return;
    const std::string path = systemFolder + "\\" + ime.file;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    eudc::RegMakeKey(HKEY_LOCAL_MACHINE, ime.layoutKey);
    eudc::RegWriteString(HKEY_LOCAL_MACHINE, ime.layoutKey, "Ime File", ime.imeFile);
    eudc::RegWriteString(HKEY_LOCAL_MACHINE, ime.layoutKey, "Layout File", "KBDUS.DLL");
    eudc::RegWriteString(HKEY_LOCAL_MACHINE, ime.layoutKey, "Layout Text", ime.name);
    const bool written = WriteAll(file, bytes);
    CloseHandle(file);
    // A cut IME file would be taken for an IME; without it the layout stays uninstalled.
    if (!written) {
        DeleteFileA(path.c_str());
        return;
    }
    ImmInstallIMEA(path.c_str(), ime.name);
}

}  // namespace

bool Register_OriginalIme() {
    const std::string systemFolder = eudc::SystemDirectory(250);
    if (systemFolder.empty()) return true;
    for (const OriginalIme& ime : kOriginalImes) InstallIfMissing(ime, systemFolder);
    return true;
}
