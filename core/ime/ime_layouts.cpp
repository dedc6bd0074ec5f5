// The layouts of the four IMEs, detected once per process.
#include <cstring>

#include "eudccore/ime_helpers.h"
#include "ime/ime_names.h"
#include "platform/windows.h"

namespace {

using namespace eudc::ime;

struct LayoutTable {
    bool filled = false;
    HKL zhuyin = nullptr;
    HKL changjie = nullptr;
    HKL newZhuyin = nullptr;
    HKL newChangjie = nullptr;
};

LayoutTable& Table() {
    static LayoutTable table;
    return table;
}

HKL* Slot(const char* name) {
    if (!name) return nullptr;
    LayoutTable& t = Table();
    if (std::strcmp(name, kZhuyin) == 0) return &t.zhuyin;
    if (std::strcmp(name, kChangjie) == 0) return &t.changjie;
    if (std::strcmp(name, kNewZhuyin) == 0) return &t.newZhuyin;
    if (std::strcmp(name, kNewChangjie) == 0) return &t.newChangjie;
    return nullptr;
}

HKL Handle(DWORD layout) { return reinterpret_cast<HKL>(static_cast<ULONG_PTR>(layout)); }

HKL IfIme(DWORD layout) { return ImmIsIME(Handle(layout)) ? Handle(layout) : nullptr; }

// The layout counts only when its IME answers to the name asked for.
HKL IfImeNamed(DWORD layout, const char* name) {
    HKL hkl = IfIme(layout);
    if (!hkl) return nullptr;
    char answer[128] = {};
    ImmEscapeA(hkl, nullptr, IME_ESC_IME_NAME, answer);
    answer[sizeof answer - 1] = '\0';
    return std::strcmp(answer, name) == 0 ? hkl : nullptr;
}

void Fill() {
    LayoutTable& t = Table();
    t = LayoutTable{};
    t.filled = true;
    t.zhuyin = IfIme(kZhuyinLayout);
    t.changjie = IfIme(kChangjieLayout);
    t.newZhuyin = IfImeNamed(kNewZhuyinLayout, kNewZhuyin);
    t.newChangjie = IfImeNamed(kNewChangjieLayout, kNewChangjie);
}

}  // namespace

HKL RegisterWord_FindHKL(const char* name) {
    if (!Table().filled || !name) Fill();
    HKL* slot = Slot(name);
    return slot ? *slot : nullptr;
}

void RegisterWord_SetHKL(const char* name, HKL layout) {
    if (HKL* slot = Slot(name)) *slot = layout;
}

int Get_Ime_type(const char* name) {
    if (!name) return 0;
    if (std::strcmp(name, kZhuyin) == 0) return 1;
    if (std::strcmp(name, kNewZhuyin) == 0) return 2;
    if (std::strcmp(name, kChangjie) == 0) return 3;
    if (std::strcmp(name, kNewChangjie) == 0) return 4;
    return 0;
}

int ConfigEudcFile(const char* name) {
    HKL layout = RegisterWord_FindHKL(name);
    if (!layout) return 0;
    return ImmConfigureIMEA(layout, nullptr, IME_CONFIG_SELECTDICTIONARY, nullptr);
}

bool SetImeDicFile(HKL layout, const char* path) {
    // Without a path there is nothing an IME could accept, so there is nothing to wait for.
    if (!path) return false;
    constexpr int kTries = 5;
    constexpr DWORD kPauseMs = 500;
    for (int i = 0; i < kTries; ++i) {
        if (ImmEscapeA(layout, nullptr, IME_ESC_SET_EUDC_DICTIONARY, const_cast<char*>(path))) return true;
        Sleep(kPauseMs);
    }
    return false;
}
