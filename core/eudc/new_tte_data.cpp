#include "eudccore/tte_install.h"

#include "common/own_resource.h"
#include "common/process_version.h"
#include "resources/tte_templates.h"

namespace eudc {
namespace {

// The template for a Windows version code, 0 when the system has none.
UINT TemplateForVersion(int versionCode) {
    switch (versionCode) {
        case 1:   // Windows 95
        case 11:  // NT 3.x
        case 12:  // NT 4
            return kTteTemplateBig5Area;
        case 2:  // Windows 98
        case 3:  // Windows Me
            return kTteTemplateWin98;
        case 13:  // 2000
        case 14:  // XP
        case 15:  // Server 2003
        case 16:  // every 6.x release
        case 21:  // anything newer
            return kTteTemplateFullArea;
        default:
            return 0;
    }
}

}  // namespace
}  // namespace eudc

int GetNewTteData(unsigned char* buffer) {
    const UINT id = eudc::TemplateForVersion(eudc::WindowsVersionCode());
    if (id == 0) return 0;
    eudc::EnsureTemplateResources();
    const DWORD size = eudc::LoadOwnResource(id, nullptr, 0, "TTE");
    if (size == 0 || !buffer) return static_cast<int>(size);
    // A resource that cannot be loaded copies nothing and gives 0: reporting the size here
    // would have the caller write an uninitialised buffer out as a font.
    return static_cast<int>(eudc::LoadOwnResource(id, buffer, 0, "TTE"));
}
