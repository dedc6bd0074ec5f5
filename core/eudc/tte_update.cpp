#include "eudccore/tte_update.h"

#include <cstring>
#include <new>

#include "eudc/eudc_lock.h"
#include "eudccore/eudc_registry.h"

namespace {
TteUpdate* g_instance = nullptr;
}

TteUpdate::TteUpdate(_TerminalServiceMode_ mode) : m_clientDeleted(false), m_mode(mode) {
    std::memset(m_table, 0, sizeof m_table);
    std::memset(m_created, 0, sizeof m_created);
}

TteUpdate::~TteUpdate() = default;

TteUpdate& TteUpdate::operator=(const TteUpdate& other) {
    std::memcpy(m_table, other.m_table, sizeof m_table);
    m_clientDeleted = other.m_clientDeleted;
    m_mode = other.m_mode;
    std::memcpy(m_created, other.m_created, sizeof m_created);
    return *this;
}

_TQFontData_Struc1* TteUpdate::Get_FontTTE(int slot) {
    if (slot < 0 || slot >= kFontSlotCount) return nullptr;
    return &m_table[slot];
}

void TteUpdate::Write_FontTTE(const _TQFontData_Struc1* table) {
    if (!table) return;
    std::memmove(m_table, table, sizeof m_table);
    if (m_mode != TSM_SystemFolders && m_mode != TSM_UserAppData) return;

    // The links are read under the lock that writes them: a key the reading has to create is then
    // saved with the links in the one save of user.reg that the lock's release makes (or, when
    // the lock cannot be had, not made at all).
    eudc::EudcLockScope lock;
    if (!lock.held()) return;
    EudcRegistry registry(m_mode);
    registry.InitEudcName("EUDC\\950");
    if (m_clientDeleted) registry.Del(m_table);
    registry.Add(m_table);
}

void TteUpdate::Write_FontTTE_DeleteClient() {
    EudcRegistry registry(m_mode);
    registry.InitEudcName("EUDC\\950");
    {
        eudc::EudcLockScope lock;
        if (lock.held()) registry.Del(m_table);
    }
    m_clientDeleted = true;
}

bool TteUpdate_Init(_TerminalServiceMode_ mode) {
    delete g_instance;
    g_instance = new (std::nothrow) TteUpdate(mode);
    return g_instance != nullptr;
}

TteUpdate* Get_TteUpdate() { return g_instance; }

void TteUpdate_Uninit() {
    delete g_instance;
    g_instance = nullptr;
}
