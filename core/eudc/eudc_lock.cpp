#include "eudc/eudc_lock.h"

#include "eudccore/lock_eudc.h"
#include "platform/sysinfo.h"
#include "platform/wingdi.h"

namespace eudc {

bool TakeEudcLock() {
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (EnableEUDC(FALSE)) return true;
        Sleep(1000);
    }
    return false;
}

void ReleaseEudcLock() { EnableEUDC(TRUE); }

}  // namespace eudc

LockEUDC_Class::LockEUDC_Class() : m_locked(false) {}

LockEUDC_Class::~LockEUDC_Class() {
    if (m_locked) eudc::ReleaseEudcLock();
}

LockEUDC_Class& LockEUDC_Class::operator=(const LockEUDC_Class& other) {
    m_locked = other.m_locked;
    return *this;
}

bool LockEUDC_Class::Lock(bool really) {
    if (!really) return true;
    if (!eudc::TakeEudcLock()) return false;
    m_locked = true;
    return true;
}
