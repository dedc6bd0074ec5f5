#include "restore_report.h"

#include <cstdio>
#include <cstring>

#include "eudc/tte_error.h"
#include "messages.h"

namespace {

using namespace restore::messages;

template <typename... Args>
std::string Format(unsigned id, Args... args) {
    const std::string format = Text(id);
    const int n = std::snprintf(nullptr, 0, format.c_str(), args...);
    if (n <= 0) return format;
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format.c_str(), args...);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace

std::string FaceOf(const _TQFontData_Struc1& record) {
    return std::string(record.FaceName, strnlen(record.FaceName, sizeof record.FaceName));
}

std::string ReasonText(DWORD error) {
    if (eudc::IsTteError(error)) {
        switch (eudc::TteErrorOf(error)) {
            case eudc::TteError::LockUnavailable: return Text(kReasonLock);
            case eudc::TteError::NoPath: return Text(kReasonNoPath);
            case eudc::TteError::NotOurFile: return Text(kReasonNotOurFile);
            case eudc::TteError::SourceUnreadable: return Text(kReasonSourceUnreadable);
            case eudc::TteError::SourceGlyphDamaged: return Text(kReasonSourceGlyphDamaged);
            case eudc::TteError::TemplateUnavailable: return Text(kReasonNoTemplate);
            case eudc::TteError::GlyphNotStored: return Text(kReasonGlyphNotStored);
            case eudc::TteError::None: break;
        }
    }
    switch (error) {
        case ERROR_DISK_FULL: return Text(kReasonDiskFull);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return Text(kReasonAccess);
        case ERROR_BUSY: return Text(kReasonWineRunning);
        case ERROR_PATH_NOT_FOUND: return Text(kReasonNoFolder);
        default: return Format(kReasonSystem, static_cast<unsigned long>(error));
    }
}

void RestoreReport::SlotFailed(int slot, const _TQFontData_Struc1& record, const std::string& path, DWORD reason) {
    lines_.push_back(Format(kSlotFailed, slot, FaceOf(record).c_str(), path.c_str(), ReasonText(reason).c_str()));
}

void RestoreReport::SlotFailedText(int slot, const _TQFontData_Struc1& record, const std::string& path,
                                   unsigned reasonId) {
    lines_.push_back(Format(kSlotFailed, slot, FaceOf(record).c_str(), path.c_str(), Text(reasonId).c_str()));
}

void RestoreReport::LinkNotWritten(const _TQFontData_Struc1& record) {
    lines_.push_back(Format(kLinkNotWritten, FaceOf(record).c_str()));
}

void RestoreReport::GlyphsNotKept(int slot, const _TQFontData_Struc1& record, int count) {
    lines_.push_back(Format(kGlyphsNotKept, slot, FaceOf(record).c_str(), count));
}

void RestoreReport::BoxTableNotWritten(const std::string& path, DWORD reason) {
    lines_.push_back(Format(kBoxTableNotWritten, path.c_str(), ReasonText(reason).c_str()));
}

void RestoreReport::ImeNotRegistered(int result) { lines_.push_back(Format(kImeNotRegistered, result)); }

std::string RestoreReport::Message() const {
    std::string list;
    for (const std::string& line : lines_) list += (list.empty() ? "" : "\r\n") + line;
    return Format(kIncomplete, list.c_str());
}
