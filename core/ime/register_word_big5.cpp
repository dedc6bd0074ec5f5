#include "ime/register_word_big5.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/ansi_text.h"
#include "common/process_version.h"
#include "common/registry_helpers.h"
#include "common/system_folders.h"
#include "eudccore/ime_helpers.h"
#include "foundation/os_file.h"
#include "ime/ime_names.h"
#include "ime/ime_writers.h"
#include "platform/windows.h"

namespace {

using namespace eudc::ime;

constexpr int kHeaderNameOffset = 71;
const char kMstciphKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\MSTCIPH";
const char kChajeiKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\CHAJEI";

bool Is(const char* name, const char* known) { return std::strcmp(name, known) == 0; }
bool IsChangjie(const char* name) { return Is(name, kChangjie) || Is(name, kNewChangjie); }
bool IsZhuyin(const char* name) { return Is(name, kZhuyin) || Is(name, kNewZhuyin); }

bool IsUnicodeIme(HKL layout) { return (ImmGetProperty(layout, IGP_PROPERTY) & IME_PROP_UNICODE) != 0; }


void DeleteMstciphValues() {
    eudc::RegRemoveValue(HKEY_LOCAL_MACHINE, kMstciphKey, "Eudc Dictionary");
    eudc::RegRemoveValue(HKEY_LOCAL_MACHINE, kMstciphKey, "Eudc Dictionary Version");
}

// The file's version resource, or an empty block.
std::vector<BYTE> VersionBlock(const std::string& file) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoA(file.c_str(), handle, size, block.data())) block.clear();
    return block;
}

// Major, minor and the two parts of the second word, 8 bits each; 0 without a version.
DWORD PackedProductVersion(const std::vector<BYTE>& block) {
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (block.empty() || !VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &length) || !info ||
        length < sizeof *info)
        return 0;
    return ((info->dwProductVersionMS >> 16) & 0xFF) << 24 | (info->dwProductVersionMS & 0xFF) << 16 |
           ((info->dwProductVersionLS >> 16) & 0xFF) << 8 | (info->dwProductVersionLS & 0xFF);
}

std::string FileDescription(const std::vector<BYTE>& block) {
    if (block.empty()) return {};
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%.8X\\FileDescription", 0x040403B6u);
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), query, reinterpret_cast<LPVOID*>(&text), &length) || !text) return {};
    return std::string(text, strnlen(text, std::min<UINT>(length, 1024)));
}

// Writes the image from offset 0 and cuts the file to it. The file is opened in place, so that an
// IME that holds it keeps seeing the same file.
bool WriteTable(const std::string& path, const RegWord_Base& writer) {
    if (!writer.image || writer.length <= 0) return false;
    const bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    OS_File file;
    if (!file.Open(path.c_str(), exists ? 0x8002 : 0x9002)) return false;
    const auto length = static_cast<uint32_t>(writer.length);
    const bool written = file.Write(writer.image, length) == length && file.SetLength(length);
    file.Flush();
    return file.Close() && written;
}

// Writes a fresh image into a new file (write-only, created).
bool WriteNewTable(const char* path, const RegWord_Base& writer) {
    OS_File file;
    if (!writer.image || !file.Open(path, 0x9001)) return false;
    const auto length = static_cast<uint32_t>(writer.length);
    const bool written = file.Write(writer.image, length) == length;
    return file.Close() && written;
}

// The IME's name in the header: code page 950 bytes in 7, or UTF-16 of at most 3 units in 6.
void StampName(RegWord_Base& writer, const char* name, bool unicode) {
    if (!writer.image) return;
    unsigned char* field = writer.image + kHeaderNameOffset;
    if (unicode) {
        WCHAR units[4] = {};
        const int n = MultiByteToWideChar(950, 0, name, -1, units, 4);
        std::memset(field, 0, 6);
        for (int i = 0; i < 3 && i < n && units[i]; ++i) {
            field[2 * i] = static_cast<unsigned char>(units[i]);
            field[2 * i + 1] = static_cast<unsigned char>(units[i] >> 8);
        }
    } else {
        std::memset(field, 0, 7);
        std::memcpy(field, name, strnlen(name, 7));
    }
}

}  // namespace

TQClient_RegisterWord::TQClient_RegisterWord() = default;
TQClient_RegisterWord::TQClient_RegisterWord(const TQClient_RegisterWord&) = default;
TQClient_RegisterWord& TQClient_RegisterWord::operator=(const TQClient_RegisterWord&) = default;
TQClient_RegisterWord::~TQClient_RegisterWord() = default;

TQClient_RegisterWord_Big5::TQClient_RegisterWord_Big5()
    : m_versionCode(eudc::WindowsVersionCode()), m_newPhoneticKind(0), m_writers{}, m_initialised(false),
      m_directory{}, m_callback(nullptr) {}

TQClient_RegisterWord_Big5::~TQClient_RegisterWord_Big5() {
    for (RegWord_Base*& writer : m_writers) {
        delete writer;
        writer = nullptr;
    }
}

RegWord_Base* TQClient_RegisterWord_Big5::Writer(int slot, bool build) {
    RegWord_Base*& writer = m_writers[slot];
    if (!writer) {
        switch (slot) {
        case 0: writer = new RegWord_Zuin_U(m_callback); break;
        case 1: writer = new RegWord_Zuin_A(m_callback); break;
        case 2: writer = new RegWord_Chajei_U(m_callback); break;
        case 3: writer = new RegWord_Chajei_A(m_callback); break;
        case 6: writer = new RegWord_NZuin_XP(m_callback); break;
        case 7: writer = new RegWord_NChajei_VISTA(m_callback); break;
        default: return nullptr;  // 4 and 5 are kept free
        }
        if (build) writer->Build(false);
    }
    return writer;
}

bool TQClient_RegisterWord_Big5::Init(const char* directory, RegisterWordCallback callback) {
    if (!directory || !callback) return false;
    const size_t n = std::strlen(directory);
    const bool slash = n > 0 && directory[n - 1] == '\\';
    // A folder the field cannot hold is refused rather than cut to another folder.
    if (n + (slash ? 0 : 1) >= sizeof m_directory) return false;
    std::memcpy(m_directory, directory, n);
    if (!slash) m_directory[n] = '\\';
    m_directory[n + (slash ? 0 : 1)] = '\0';
    m_callback = callback;
    for (RegWord_Base* writer : m_writers)
        if (writer) writer->callback = callback;
    if (m_initialised) return true;

    m_initialised = true;
    if (m_versionCode == 16) {
        Writer(6);
        Writer(7);
        return true;
    }
    Detect();
    return true;
}

void TQClient_RegisterWord_Big5::Detect() {
    DeleteFileA(TableFileName(kNewZhuyin).c_str());
    if (HKL layout = RegisterWord_FindHKL(kNewZhuyin)) ClassifyNewPhonetic(layout);
    if (HKL layout = RegisterWord_FindHKL(kZhuyin)) Writer(IsUnicodeIme(layout) ? 0 : 1);
    if (HKL layout = RegisterWord_FindHKL(kChangjie)) Writer(IsUnicodeIme(layout) ? 2 : 3);
    if (m_versionCode != 3)
        if (HKL layout = RegisterWord_FindHKL(kNewChangjie)) Writer(IsUnicodeIme(layout) ? 2 : 3);
}

void TQClient_RegisterWord_Big5::ClassifyNewPhonetic(HKL layout) {
    char fileName[512] = {};
    ImmGetIMEFileNameA(layout, fileName, sizeof fileName);
    const std::string file = eudc::SystemDirectory(250) + "\\" + fileName;
    const std::vector<BYTE> block = VersionBlock(file);
    if (eudc::EqualNoCaseAnsi(fileName, "MSTCIPHA.IME")) {
        if (PackedProductVersion(block) < 0x06000001) {
            m_newPhoneticKind = -1;
            RegisterWord_SetHKL(kNewZhuyin, nullptr);
            return;
        }
        m_newPhoneticKind = 2;
        Writer(6);
        DeleteMstciphValues();
        return;
    }
    if (FileDescription(block).find("2002") != std::string::npos) {
        m_newPhoneticKind = 1;
        Writer(6);
        return;
    }
    m_newPhoneticKind = 0;
    if (m_versionCode != 3) Writer(IsUnicodeIme(layout) ? 0 : 1);
}

std::string TQClient_RegisterWord_Big5::TableFileName(const char* imeName) const {
    std::string folder = m_directory;
    const int v = m_versionCode;
    if ((v >= 13 && v <= 16) || v == 21) {
        const std::string appData = eudc::ShellFolder(CSIDL_APPDATA);
        if (!appData.empty() && appData.size() <= 400) folder = appData + "\\";
    }
    if (Is(imeName, kZhuyin)) return folder + "TQ_Zuin.Tbl";
    if (Is(imeName, kNewZhuyin)) return folder + "TQ_NZuin.Tbl";
    if (Is(imeName, kChangjie)) return folder + "TQ_Chanj.Tbl";
    if (Is(imeName, kNewChangjie)) return folder + "TQ_NChaJ.Tbl";
    return folder + "TQ_Tmp.Tbl";
}

int TQClient_RegisterWord_Big5::Update(bool rebuild) {
    // Without Init there is no callback to build from and no IME was looked for.
    if (!m_initialised) return 2;
    if (rebuild)
        for (RegWord_Base* writer : m_writers)
            if (writer) writer->Reset();
    for (RegWord_Base* writer : m_writers)
        if (writer) writer->Build(false);  // an image never built is built before it is written

    if (m_versionCode == 16) {
        std::string folder = eudc::ShellFolder(CSIDL_APPDATA);
        if (folder.empty() || folder.back() != '\\') folder += '\\';
        folder += "Microsoft\\Ime\\IMTC10\\";
        // The folder belongs to the IME; where it is missing, the IME is not there to read them.
        if (m_writers[6]) WriteTable(folder + "TCEUDCPH.TBL", *m_writers[6]);
        if (m_writers[7]) WriteTable(folder + "TCEUDCCJ.TBL", *m_writers[7]);
        return 0;
    }

    const char* const all[] = {kZhuyin, kChangjie, kNewZhuyin, kNewChangjie};
    const int count = m_versionCode == 3 ? 2 : 4;
    int weighted = 0, last = 0, weight = 10;
    for (int i = 0; i < count; ++i, weight *= 10) {
        last = RegisterOne(all[i]);
        if (last < 0) weighted += weight * last;
    }
    return weighted < 0 ? weighted : last;
}

int TQClient_RegisterWord_Big5::RegisterOne(const char* imeName) {
    HKL layout = RegisterWord_FindHKL(imeName);
    if (!layout) return 2;
    const std::string path = TableFileName(imeName);
    const bool unicode = IsUnicodeIme(layout) || (m_versionCode >= 13 && m_versionCode <= 15);

    RegWord_Base* writer = nullptr;
    if (IsChangjie(imeName)) {
        writer = Writer(unicode ? 2 : 3, true);
        StampName(*writer, imeName, unicode);
    } else if (IsZhuyin(imeName)) {
        if (unicode && Is(imeName, kNewZhuyin) && (m_newPhoneticKind == 1 || m_newPhoneticKind == 2)) {
            writer = Writer(6, true);
        } else {
            writer = Writer(unicode ? 0 : 1, true);
            StampName(*writer, imeName, unicode);
        }
    } else {
        return 1;
    }

    if (Is(imeName, kNewZhuyin) && m_newPhoneticKind == 2) DeleteMstciphValues();
    if (Is(imeName, kChangjie) && (m_versionCode == 14 || m_versionCode == 15))
        eudc::RegWriteString(HKEY_CURRENT_USER, kChajeiKey, "User Dictionary", path.c_str());
    // A table that could not be written whole is not handed to the IME.
    if (!WriteTable(path, *writer)) return -2;
    return SetImeDicFile(layout, path.c_str()) ? 0 : -3;
}

void TQClient_RegisterWord_Big5::SetWord(const char* keys, unsigned short code) {
    if (!keys) return;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!m_writers[slot]) continue;
        const bool zhuyinKind = slot == 0 || slot == 1 || slot == 4 || slot == 6;
        m_writers[slot]->AddWord(code, zhuyinKind ? keys : keys + 4);
    }
}

int TQClient_RegisterWord_Big5::ExportTables(const char* /*phoneticEtenPath*/, const char* /*changjieEtenPath*/,
                                             const char* phoneticDicPath, const char* changjieDicPath,
                                             const char* /*unused1*/, const char* /*unused2*/) {
    // The ETen tables of the first two paths are not written yet.
    if (!m_callback) return 0;
    if (phoneticDicPath) {
        RegWord_Zuin_A writer(m_callback);
        writer.Reset();
        StampName(writer, kZhuyin, false);
        WriteNewTable(phoneticDicPath, writer);
    }
    if (changjieDicPath) {
        RegWord_Chajei_A writer(m_callback);
        writer.Reset();
        StampName(writer, kChangjie, false);
        WriteNewTable(changjieDicPath, writer);
    }
    return 0;
}

int TQClient_RegisterWord_Big5::ExportTables5550(const char*, const char*, const char*, const char*, int, bool) {
    // The ETen tables of the 5550 code space are not written yet.
    return 0;
}

namespace {
TQClient_RegisterWord_Big5 g_registerWord;
}

TQClient_RegisterWord* Get_TQClient_RegisterWord() { return &g_registerWord; }
