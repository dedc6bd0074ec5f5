// The EUDC lock: EUDC switched off system-wide while TTE files and the EUDC\950 values change.
#pragma once
#include "eudccore/export.h"

class EUDCCORE_API LockEUDC_Class {
public:
    LockEUDC_Class();
    ~LockEUDC_Class();
    LockEUDC_Class& operator=(const LockEUDC_Class& other);

    // With really false: true without locking. Otherwise takes the lock (5 attempts, a second
    // apart); true when it is held.
    bool Lock(bool really);

    bool m_locked;
};
