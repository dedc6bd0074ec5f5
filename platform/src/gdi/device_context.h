// Device contexts: the screen's (GetDC) and memory DCs (CreateCompatibleDC).
#pragma once
#include <memory>

#include "gdi/gdi_objects.h"
#include "platform/wingdi.h"

namespace platform::gdi {

class DeviceContext : public GdiObject {
public:
    enum class Kind { Screen, Memory };
    explicit DeviceContext(Kind kind) : kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// The live DC behind dc, or null.
std::shared_ptr<DeviceContext> LookupDC(HDC dc);

}  // namespace platform::gdi
