// The process-wide Client_Data object, its data file and its life cycle.
#include <algorithm>
#include <cstring>

#include "clientdata/client_block.h"
#include "clientdata/client_publication.h"
#include "common/process_version.h"
#include "common/registry_helpers.h"
#include "common/system_folders.h"
#include "platform/windows.h"

using namespace clientdata;

namespace {

constexpr FileOpenMode kOpenExisting = 0x8012;  // read and write, exclusive, must exist
constexpr FileOpenMode kOpenCreated = 0x9012;   // read and write, exclusive, created

void CopyText(char* field, size_t fieldSize, const std::string& text) {
    const size_t n = std::min(text.size(), fieldSize - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

DWORD ErrorOr(DWORD fallback) {
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

Client_Data g_clientData;

}  // namespace

Client_Data* Get_Client_Data() { return &g_clientData; }

Client_Data::Client_Data()
    : m_systemDir{}, m_dataDir{}, m_dataFileName{}, m_windowsDir{}, m_dataCleared(false), m_companyName{},
      m_fileCreated(false), m_mapping(nullptr), m_mutex(nullptr), m_fillBlank(false) {
    // Another object made while the data file is open must not wipe the block in use.
    if (!State().dataFile.IsOpen()) {
        std::memset(State().block, 0, kClientDataBlockSize);
        std::fill(std::begin(State().lastFontTimes), std::end(State().lastFontTimes), 0);
    }
    CopyText(m_windowsDir, sizeof m_windowsDir, eudc::WindowsDirectory(eudc::WindowsVersionCode(), 250));
    CopyText(m_systemDir, sizeof m_systemDir, eudc::SystemDirectory(250));
}

Client_Data::Client_Data(const Client_Data& other) : m_mapping(nullptr), m_mutex(nullptr) { CopySettings(other); }

Client_Data& Client_Data::operator=(const Client_Data& other) {
    if (this != &other) CopySettings(other);
    return *this;
}

void Client_Data::CopySettings(const Client_Data& other) {
    std::memcpy(m_systemDir, other.m_systemDir, sizeof m_systemDir);
    std::memcpy(m_dataDir, other.m_dataDir, sizeof m_dataDir);
    std::memcpy(m_dataFileName, other.m_dataFileName, sizeof m_dataFileName);
    std::memcpy(m_windowsDir, other.m_windowsDir, sizeof m_windowsDir);
    m_dataCleared = other.m_dataCleared;
    std::memcpy(m_companyName, other.m_companyName, sizeof m_companyName);
    m_fileCreated = other.m_fileCreated;
    m_fillBlank = other.m_fillBlank;
}

Client_Data::~Client_Data() {
    if (m_mutex) CloseHandle(m_mutex);
    if (m_mapping) CloseHandle(m_mapping);
}

int Client_Data::InitVars(const char* directory) {
    if (State().dataFile.IsOpen()) return 0;
    std::string dir = directory ? directory : m_systemDir;
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    CopyText(m_dataDir, sizeof m_dataDir, dir);
    return 1;
}

int Client_Data::Init(char* fileName, const char* directory, bool forceDefaults) {
    if (InitVars(directory) == 1) {
        const std::string name = fileName ? fileName : "";
        const std::string path = name.find('\\') != std::string::npos ? name : m_dataDir + name;
        if (path.size() >= sizeof m_dataFileName) return ERROR_FILENAME_EXCED_RANGE;
        CopyText(m_dataFileName, sizeof m_dataFileName, path);

        OS_File& file = State().dataFile;
        const bool exists = GetFileAttributesA(m_dataFileName) != INVALID_FILE_ATTRIBUTES;
        if (!file.Open(m_dataFileName, exists ? kOpenExisting : kOpenCreated)) return ErrorOr(ERROR_ACCESS_DENIED);
        if (!exists) m_fileCreated = true;

        if (file.GetLength() < kClientDataBlockSize || forceDefaults) {
            FillBlankIntoFile();
            if (!SaveBlock() || !file.SetLength(kClientDataBlockSize)) {
                // A data file that would stay short is not kept open as if it had been written.
                const DWORD error = ErrorOr(ERROR_WRITE_FAULT);
                file.Close();
                return error;
            }
        } else if (file.Seek(0, FILE_BEGIN) != 0 || file.Read(State().block, kClientDataBlockSize) != kClientDataBlockSize) {
            const DWORD error = ErrorOr(ERROR_READ_FAULT);
            std::memset(State().block, 0, kClientDataBlockSize);
            file.Close();
            return error;
        }
    }
    OpenPublication(*this);
    UpdateFilemap();
    if (m_fillBlank) m_dataCleared = true;
    ReCaculate_All_InternalData();
    return 0;
}

int Client_Data::UnInit() {
    if (State().dataFile.IsOpen()) State().dataFile.Close();
    std::memset(State().block, 0, kClientDataBlockSize);
    if (m_mutex) CloseHandle(m_mutex);
    if (m_mapping) CloseHandle(m_mapping);
    m_mutex = nullptr;
    m_mapping = nullptr;
    return 0;
}

bool Client_Data::FillBlankIntoFile() {
    m_fillBlank = true;
    FillDefaultBlock(State().block);
    const char key[] = "Software\\Velmora\\TQFontClient";
    eudc::RegMakeKey(HKEY_LOCAL_MACHINE, key);
    eudc::RegWriteString(HKEY_LOCAL_MACHINE, key, "CreateTTE", "0011111111111111");
    return true;
}

bool Client_Data::SaveBlock() {
    OS_File& file = State().dataFile;
    if (file.Seek(0, FILE_BEGIN) != 0 || file.Write(State().block, kClientDataBlockSize) != kClientDataBlockSize)
        return false;
    file.Flush();
    return true;
}

void Client_Data::WriteData() {
    if (!State().dataFile.IsOpen()) return;
    SaveBlock();
    UpdateFilemap();
}

bool Client_Data::SetBuffer(void* data, unsigned long size) {
    if (!data || size != kClientDataBlockSize) return false;
    std::memmove(State().block, data, kClientDataBlockSize);
    bool saved = true;
    if (State().dataFile.IsOpen()) {
        saved = SaveBlock();
        UpdateFilemap();
    }
    ReCaculate_All_InternalData();
    return saved;
}

void Client_Data::ClearAllData() {
    FillBlankIntoFile();
    if (State().dataFile.IsOpen()) {
        SaveBlock();
        UpdateFilemap();
    }
    ReCaculate_All_InternalData();
    m_dataCleared = true;
}

void Client_Data::Set_CompanyName(char* name) {
    CopyText(m_companyName, sizeof m_companyName, name ? std::string(name, strnlen(name, 28)) : std::string());
    UpdateFilemap();
}

const char* Client_Data::GetDataFileName() { return m_dataFileName; }
const char* Client_Data::Get_WindowsDir() { return m_windowsDir; }
bool Client_Data::Is_FillBlankToFile() { return m_fillBlank; }
void Client_Data::Set_FillBlankToFile(bool set) { m_fillBlank = set; }
