#include "eudccore/eudc_registry.h"

#include <cstring>
#include <string>

#include "common/ansi_text.h"
#include "eudc/face_check.h"
#include "platform/winreg.h"

namespace {

constexpr char kDefaultFace[] = "SystemDefaultEUDCFont";
constexpr DWORD kMaxValues = 40;

// Bounded copy of a record field or entry: fields are meant to be terminated, but a damaged table
// must not make us read past them.
std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

bool SameNameNoCase(const std::string& a, const std::string& b) { return eudc::EqualNoCaseAnsi(a, b); }

}  // namespace

EudcRegistry::EudcRegistry(_TerminalServiceMode_ mode) : m_count(0), m_defaultIndex(-1), m_mode(mode) {
    std::memset(m_entries, 0, sizeof m_entries);
    std::memset(m_keyPath, 0, sizeof m_keyPath);
}

EudcRegistry::~EudcRegistry() = default;

EudcRegistry& EudcRegistry::operator=(const EudcRegistry& other) {
    std::memmove(static_cast<void*>(this), &other, sizeof *this);
    return *this;
}

int EudcRegistry::InitEudcName(const char* keyPath) {
    m_count = 0;
    m_defaultIndex = -1;
    const std::string path = keyPath ? Field(keyPath, kPathSize - 1) : std::string();
    std::memcpy(m_keyPath, path.c_str(), path.size() + 1);

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        HKEY created = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, m_keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &created, nullptr) == ERROR_SUCCESS)
            RegCloseKey(created);
        return 0;
    }
    DWORD values = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return 0;
    }
    if (values > kMaxValues) values = kMaxValues;
    // From the last index down to 0: up to 41 indices, those that do not exist are skipped.
    for (int index = static_cast<int>(values); index >= 0 && m_count < kMaxEntries; --index) {
        char name[kPathSize] = {};
        char data[kPathSize] = {};
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, static_cast<DWORD>(index), name, &nameSize, nullptr, &type,
                          reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS)
            continue;
        Entry& entry = m_entries[m_count];
        std::memcpy(entry.name, name, sizeof name);
        if (SameNameNoCase(name, kDefaultFace)) {
            m_defaultIndex = m_count;
        } else if (!eudc::Big5FaceExists(name)) {
            continue;
        }
        std::memcpy(entry.path, data, sizeof data);
        entry.path[kPathSize - 1] = '\0';
        CaculateTTE(entry.path, m_mode);
        ++m_count;
    }
    RegCloseKey(key);
    return m_count;
}

void EudcRegistry::Add(const _TQFontData_Struc1* table) {
    if (!table) return;
    for (int slot = 0; slot < kFontSlotCount; ++slot) {
        const _TQFontData_Struc1& record = table[slot];
        const std::string face = Field(record.FaceName, sizeof record.FaceName);
        if (face.empty()) continue;
        const std::string tteName = Field(record.TteFileName, sizeof record.TteFileName);

        int state = 0;  // 0 not linked, 1 linked elsewhere, 2 linked to the unresolved name itself
        for (int i = 0; i < m_count; ++i) {
            if (!SameNameNoCase(Field(m_entries[i].name, kPathSize), face)) continue;
            state = SameNameNoCase(Field(m_entries[i].path, kPathSize), tteName) ? 2 : 1;
            break;
        }
        char resolved[kPathSize] = {};
        std::memcpy(resolved, tteName.c_str(), tteName.size() + 1);
        CaculateTTE(resolved, m_mode);

        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, m_keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            continue;
        // A path too long to resolve has been emptied: the slot has no file to link.
        if (state != 2 && resolved[0] != '\0')
            RegSetValueExA(key, face.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(resolved),
                           static_cast<DWORD>(std::strlen(resolved) + 1));
        RegCloseKey(key);
    }
}

void EudcRegistry::Del(const _TQFontData_Struc1* table) {
    if (!table) return;
    for (int i = 0; i < m_count; ++i) {
        const std::string name = Field(m_entries[i].name, kPathSize);
        bool named = false;
        for (int slot = 0; slot < kFontSlotCount && !named; ++slot)
            named = name == Field(table[slot].FaceName, sizeof table[slot].FaceName);
        if (named) continue;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, m_keyPath, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, name.c_str());
            RegCloseKey(key);
        }
    }
}

bool EudcRegistry::GetFontName(int index, char* name, char* path) {
    if (index < 0 || index >= m_count) return false;
    if (name) std::memcpy(name, m_entries[index].name, kPathSize);
    if (path) std::memcpy(path, m_entries[index].path, kPathSize);
    return true;
}
