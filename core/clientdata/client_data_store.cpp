// The block's operations in memory: character records, managed codes, font table, flag, times.
#include <algorithm>
#include <cstring>

#include "clientdata/client_block.h"
#include "eudccore/as400_2_code.h"
#include "foundation/endian.h"

namespace clientdata {

ProcessState& State() {
    static ProcessState state{};
    return state;
}

int32_t LoadTime(const uint8_t* p) { return static_cast<int32_t>(endian::LoadLE32(p)); }
void StoreTime(uint8_t* p, int32_t time) { endian::StoreLE32(p, static_cast<uint32_t>(time)); }

void EmptyRecord(uint8_t* record) {
    std::memset(record, 0, kClientRecordSize);
    std::memset(record + kRecordZhuyinOffset, ' ', 9);
}

}  // namespace clientdata

using namespace clientdata;

namespace {

constexpr unsigned kFirstCode = 0xE000;

bool IndexOf(unsigned code, int& index) {
    if (code < kFirstCode || code >= kFirstCode + kClientCodeCount) return false;
    index = static_cast<int>(code - kFirstCode);
    return true;
}

// What a 32-bit caller would have passed in its `long`.
int32_t Stamp(long time) { return static_cast<int32_t>(static_cast<uint32_t>(time)); }

bool ManagedBit(const uint8_t* bits, int i) { return (bits[i / 8] >> (i % 8)) & 1; }
void SetManagedBit(uint8_t* bits, int i, bool on) {
    const uint8_t mask = static_cast<uint8_t>(1u << (i % 8));
    bits[i / 8] = on ? static_cast<uint8_t>(bits[i / 8] | mask) : static_cast<uint8_t>(bits[i / 8] & ~mask);
}

// Sets the style name of a slot record whose style name is empty.
void DefaultStyle(_TQFontData_Struc1& slot, const char* style) {
    if (slot.StyleName[0] == '\0') std::strncpy(slot.StyleName, style, sizeof slot.StyleName - 1);
}

}  // namespace

int Client_Data::Set_CodeData_Client(_WORD_DATA_Code* record) {
    int index = 0;
    if (!record || !IndexOf(endian::LoadLE16(reinterpret_cast<const uint8_t*>(record) + 19), index)) return -1;
    const auto* bytes = reinterpret_cast<const uint8_t*>(record);
    if (record->Cns.Plane != '0')
        std::memcpy(Record(index), bytes, kClientRecordSize);
    else
        EmptyRecord(Record(index));
    State().codeDataTime = std::max(State().codeDataTime, LoadTime(bytes + kRecordTimeOffset));
    return 1;
}

bool Client_Data::Get__CodeData(unsigned short code, _WORD_DATA_Code* out) {
    int index = 0;
    if (!out || !IndexOf(code, index)) return false;
    auto* bytes = reinterpret_cast<uint8_t*>(out);
    std::memcpy(bytes, Record(index), kClientRecordSize);
    endian::StoreLE16(bytes + 19, code);
    return true;
}

unsigned short Client_Data::Get_EudcWithCns(ARRAY_CNS_DATA* cns) {
    if (!cns || cns->Plane == 0 || cns->Plane == ' ') return 0;
    const auto* wanted = reinterpret_cast<const uint8_t*>(cns);
    const uint8_t* record = Record(0) + kRecordCnsOffset;
    for (int i = 0; i < kClientCodeCount; ++i, record += kClientRecordSize)
        if (record[0] == wanted[0] && record[1] == wanted[1] && record[2] == wanted[2])
            return static_cast<unsigned short>(kFirstCode + i);
    return 0;
}

int Client_Data::Get_TblData(ARRAY_CNS_DATA* out, int count) {
    if (!out || count < 1) return 0;
    const int n = std::min(count, kClientCodeCount);
    auto* entries = reinterpret_cast<uint8_t*>(out);
    for (int i = 0; i < n; ++i) std::memcpy(entries + 3 * i, Record(i) + kRecordCnsOffset, 3);
    return n;
}

int Client_Data::Get_ExistCount() {
    int count = 0;
    for (int i = 0; i < kClientCodeCount; ++i) {
        const uint8_t* record = Record(i);
        if (record[0] != 0 || record[1] != 0) ++count;
    }
    return count;
}

bool Client_Data::Get_UserMakeWord(unsigned short code) {
    int index = 0;
    return IndexOf(code, index) && Record(index)[0] != 0;
}

bool Client_Data::Get_UserManager(unsigned short code) {
    int index = 0;
    if (!IndexOf(code, index)) return true;
    return ManagedBit(State().block + kUserManagerOffset, index);
}

int Client_Data::Get_UserManager_All(char* out) {
    if (out) std::memcpy(out, State().block + kUserManagerOffset, kUserManagerBytes);
    return kUserManagerBytes;
}

int Client_Data::Set_UserManager_Client(char* bits, long time) {
    if (!bits) return 0;
    std::memcpy(State().block + kUserManagerOffset, bits, kUserManagerBytes);
    StoreTime(State().block + kUserManagerTimeOffset, Stamp(time));
    return 1;
}

void Client_Data::Change_UserMansger_DifferentCodeOrderType(char* bits, int codeOrderType) {
    if (!bits || codeOrderType == 0) return;
    uint8_t source[kUserManagerBytes];
    std::memcpy(source, bits, sizeof source);
    auto* target = reinterpret_cast<uint8_t*>(bits);
    for (int i = 0; i < kClientCodeCount; ++i) {
        const uint16_t to = AS400_2_Code::Get_ShouldUnicode(static_cast<uint16_t>(kFirstCode + i), codeOrderType);
        int j = 0;
        if (to != 0xFFFF && IndexOf(to, j)) SetManagedBit(target, j, ManagedBit(source, i));
    }
}

void Client_Data::Read_FontTTE(_TQFontData_Struc1* out) {
    if (!out) return;
    std::memcpy(out, State().block + kFontTableOffset, kFontTableBytes);
    DefaultStyle(out[0], "\xA9\xFA\xC5\xE9");          // "明體"
    DefaultStyle(out[1], "\xB7\xA2\xAE\xD1\xC5\xE9");  // "楷書體"
}

void Client_Data::Write_FontTTE(_TQFontData_Struc1* table, long time) {
    if (!table) return;
    std::memmove(State().block + kFontTableOffset, table, kFontTableBytes);
    StoreTime(State().block + kFontTableTimeOffset, Stamp(time));
}

bool Client_Data::Get_SpecialFlag(unsigned char* out) {
    if (!out) return false;
    std::memcpy(out, State().block + kSpecialFlagOffset, 4);
    return true;
}

bool Client_Data::Set_SpecialFlag(unsigned char* in) {
    if (!in) return false;
    std::memcpy(State().block + kSpecialFlagOffset, in, 4);
    return true;
}

char* Client_Data::GetBuffer(unsigned long* size) {
    if (size) *size = kClientDataBlockSize;
    return reinterpret_cast<char*>(State().block);
}

long Client_Data::GetUpdateTime(int which) {
    switch (which) {
    case -3: return State().codeDataTime;
    case -2: return LoadTime(State().block + kUserManagerTimeOffset);
    case -1: return LoadTime(State().block + kFontTableTimeOffset);
    default:
        if (which < 0 || which >= kClientCodeCount) return 0;
        return LoadTime(Record(which) + kRecordTimeOffset);
    }
}

long Client_Data::Get_LastFontTime(char slot) {
    const auto s = static_cast<unsigned char>(slot);
    return s < kFontSlotCount ? State().lastFontTimes[s] : 0;
}

void Client_Data::SetFontUpdateTime(unsigned short /*code*/, char slot, long time) {
    const auto s = static_cast<unsigned char>(slot);
    const int32_t t = Stamp(time);
    if (s == 0xFF) {
        State().codeDataTime = std::max(State().codeDataTime, t);
    } else if (s < kFontSlotCount && t > State().lastFontTimes[s]) {
        State().lastFontTimes[s] = t;
        StoreTime(State().block + kSlotTimesOffset + 4 * s, t);
    }
}

void Client_Data::Replace_1_InternalData(long time, unsigned short code, char slot) {
    const auto s = static_cast<unsigned char>(slot);
    if (s == 0)
        SetFontUpdateTime(code, static_cast<char>(0xFF), time);
    else if (s <= kFontSlotCount)
        SetFontUpdateTime(code, static_cast<char>(s - 1), time);
}

void Client_Data::ReCaculate_All_InternalData() {
    for (int s = 0; s < kFontSlotCount; ++s) State().lastFontTimes[s] = LoadTime(State().block + kSlotTimesOffset + 4 * s);
    int32_t newest = 0;
    for (int i = 0; i < kClientCodeCount; ++i) newest = std::max(newest, LoadTime(Record(i) + kRecordTimeOffset));
    State().codeDataTime = newest;
}
