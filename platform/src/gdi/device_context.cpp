#include "gdi/device_context.h"

#include "platform/fileapi.h"

namespace platform::gdi {

std::shared_ptr<DeviceContext> LookupDC(HDC dc) { return LookupObjectAs<DeviceContext>(dc); }

}  // namespace platform::gdi

using platform::gdi::DeviceContext;

HDC GetDC(HWND window) {
    // The platform has no windows: only the screen (NULL) has a device context.
    if (window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Screen);
    return static_cast<HDC>(platform::gdi::RegisterObject(dc));
}

int ReleaseDC(HWND, HDC dc) {
    auto obj = platform::gdi::LookupDC(dc);
    if (!obj || obj->kind() != DeviceContext::Kind::Screen) return 0;
    platform::gdi::UnregisterObject(dc);
    return 1;
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc && !platform::gdi::LookupDC(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto mem = std::make_shared<DeviceContext>(DeviceContext::Kind::Memory);
    return static_cast<HDC>(platform::gdi::RegisterObject(mem));
}

BOOL DeleteDC(HDC dc) {
    auto obj = platform::gdi::LookupDC(dc);
    // A DC from GetDC is given back with ReleaseDC, never deleted.
    if (!obj || obj->kind() != DeviceContext::Kind::Memory) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    platform::gdi::UnregisterObject(dc);
    return TRUE;
}
