// The EUDC lock rule that every locked operation uses.
#pragma once

namespace eudc {

// EnableEUDC(FALSE), up to 5 attempts, each failure followed by a one-second sleep.
bool TakeEudcLock();
// EnableEUDC(TRUE).
void ReleaseEudcLock();

// Holds the lock for a scope: released exactly once on every way out, an exception included.
class EudcLockScope {
public:
    EudcLockScope() : held_(TakeEudcLock()) {}
    ~EudcLockScope() {
        if (held_) ReleaseEudcLock();
    }
    EudcLockScope(const EudcLockScope&) = delete;
    EudcLockScope& operator=(const EudcLockScope&) = delete;
    bool held() const { return held_; }

private:
    bool held_;
};

}  // namespace eudc
