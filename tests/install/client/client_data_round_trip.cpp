// A client of the installed package that keeps its records in the machine-wide client data: Init
// on a fresh workstation, store, save, UnInit, Init again, read them back.
#include <cstdio>
#include <cstring>

#include <eudccore/eudccore.h>

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "client data round trip: %s\n", what);
    return 1;
}

}  // namespace

int main() {
    Client_Data* data = Get_Client_Data();
    char name[] = "client.dat";
    if (data->Init(name, nullptr, false) != 0) return Fail("first Init");
    if (!data->m_fileCreated || !data->Is_FillBlankToFile()) return Fail("a fresh workstation gets the defaults");

    _WORD_DATA_Code record{};
    record.UserWord = 1;
    record.Cns = {'1', {0x44, 0x21}};
    std::memcpy(record.Zhuyin, "JI3 ", 4);
    std::memcpy(record.Changjie, "ABC\0\0", 5);
    record.UpdateTime[0] = 42;
    record.Code = 0xE123;
    if (data->Set_CodeData_Client(&record) != 1) return Fail("store");
    data->WriteData();
    data->UnInit();
    if (data->Get_ExistCount() != 0) return Fail("UnInit empties the block");

    if (data->Init(name, nullptr, false) != 0) return Fail("second Init");
    _WORD_DATA_Code back{};
    if (!data->Get__CodeData(0xE123, &back) || std::memcmp(&back, &record, sizeof back) != 0)
        return Fail("the record did not come back");
    ARRAY_CNS_DATA cns{'1', {0x44, 0x21}};
    if (data->Get_EudcWithCns(&cns) != 0xE123 || data->GetUpdateTime(-3) != 42) return Fail("search and times");
    data->UnInit();
    return 0;
}
