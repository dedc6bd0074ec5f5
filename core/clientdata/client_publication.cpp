// Publishing the block in the named mapping under the named mutex, and telling other sessions.
#include "clientdata/client_publication.h"

#include <cstdio>
#include <cstring>

#include "clientdata/client_block.h"
#include "clientdata/shared_security.h"
#include "platform/windows.h"

namespace clientdata {
namespace {

constexpr DWORD kPublicationWaitMs = 300000;

void PutText(uint8_t* field, size_t fieldSize, const char* text) {
    const size_t n = strnlen(text, fieldSize - 1);
    std::memcpy(field, text, n);
    field[n] = '\0';
}

// Opens a change event another session made and sets it.
bool SetSessionEvent(const char* format, const char* sessionName) {
    char name[MAX_PATH];
    const int n = std::snprintf(name, sizeof name, format, sessionName ? sessionName : "");
    if (n < 0 || n >= static_cast<int>(sizeof name)) return false;
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (!event) return false;
    const bool set = SetEvent(event);
    CloseHandle(event);
    return set;
}

}  // namespace

std::string ObjectNamePrefix() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5) return "Global\\";
    return "";
}

void OpenPublication(Client_Data& data) {
    SharedSecurity mappingSecurity(FILE_MAP_ALL_ACCESS, FILE_MAP_READ | FILE_MAP_WRITE);
    SharedSecurity mutexSecurity(MUTEX_ALL_ACCESS, SYNCHRONIZE);
    const std::string prefix = ObjectNamePrefix();
    if (!data.m_mutex) data.m_mutex = CreateMutexA(mutexSecurity.Attributes(), FALSE, (prefix + "Mutex_TQClient_FileMap").c_str());
    if (!data.m_mapping)
        data.m_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, mappingSecurity.Attributes(), PAGE_READWRITE, 0,
                                            kClientMappingSize, (prefix + "FileMap_TQClient_Data").c_str());
}

}  // namespace clientdata

using namespace clientdata;

void Client_Data::UpdateFilemap() {
    if (!m_mapping || !m_mutex) return;
    // An owner that ended while holding the mutex may have left the mapping half-written: taking
    // it over and writing every field again repairs that.
    const DWORD wait = WaitForSingleObject(m_mutex, kPublicationWaitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return;
    if (auto* view = static_cast<uint8_t*>(MapViewOfFile(m_mapping, FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, 0))) {
        std::memcpy(view, State().block, kClientDataBlockSize);
        PutText(view + kMappingWindowsDirOffset, kMappingDirField, m_windowsDir);
        PutText(view + kMappingSystemDirOffset, kMappingDirField, m_systemDir);
        PutText(view + kMappingCompanyOffset, kMappingCompanyField, m_companyName);
        UnmapViewOfFile(view);
    }
    ReleaseMutex(m_mutex);
}

bool Client_Data::CallOtherSession(const char* sessionName, bool dataChanged, bool fontChanged) {
    bool all = true;
    if (dataChanged) all = SetSessionEvent("Global\\Event_TQClient_Datachanged_%s", sessionName) && all;
    if (fontChanged) all = SetSessionEvent("Global\\Event_TQClient_Fontchanged_%s", sessionName) && all;
    return all;
}
