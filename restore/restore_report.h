// What a restore that ran could not do, collected as the program tells it: one line per failure,
// in code page 950.
#pragma once
#include <string>
#include <vector>

#include "eudccore/font_slot.h"
#include "platform/wintypes.h"

class RestoreReport {
public:
    // A slot whose TTE file was not written; reason is the last error the failing call left.
    void SlotFailed(int slot, const _TQFontData_Struc1& record, const std::string& path, DWORD reason);
    void SlotFailedText(int slot, const _TQFontData_Struc1& record, const std::string& path, unsigned reasonId);
    void LinkNotWritten(const _TQFontData_Struc1& record);
    void GlyphsNotKept(int slot, const _TQFontData_Struc1& record, int count);
    void BoxTableNotWritten(const std::string& path, DWORD reason);
    // result: the registration front end's negative result.
    void ImeNotRegistered(int result);

    bool Complete() const { return lines_.empty(); }
    const std::vector<std::string>& Lines() const { return lines_; }
    // The incomplete-restore message with every line.
    std::string Message() const;

private:
    std::vector<std::string> lines_;
};

// The reason text (code page 950) for the last error a TTE operation left.
std::string ReasonText(DWORD lastError);
// The face name of a record, bounded by its field.
std::string FaceOf(const _TQFontData_Struc1& record);
