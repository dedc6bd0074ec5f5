// Touches every export of the umbrella header, one section per header it includes: the address of
// every function (private and protected members too), the classes made and destroyed, and a few
// calls that read an empty workstation and change nothing.
#include <eudccore/eudccore.h>
#include <foundation/exact_buffer.h>

#include <cstdio>
#include <cstring>

namespace {

int failures = 0;

void Expect(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "client: %s\n", what);
    ++failures;
}

// Makes the program refer to what p points at, whatever kind of pointer it is.
template <class P>
void Touch(P p) {
    static volatile unsigned char sink;
    unsigned char bytes[sizeof p];
    std::memcpy(bytes, &p, sizeof p);
    for (unsigned char b : bytes) sink = sink ^ b;
}

}  // namespace

int main() {
    // ---- eudccore/export.h, eudccore/font_slot.h: macros and records only.
    static_assert(sizeof(_TQFontData_Struc1) == 321 && sizeof(_FontDataProperty_) == 8);
    static_assert(kFontTableBytes == 5136);

    // ---- eudccore/as400_2_code.h
    {
        AS400_2_Code converter(0);
        AS400_2_Code copy(converter);
        copy = converter;
        Expect(copy.NHC(0) == 0xC241, "the first host code");
        Expect(AS400_2_Code::Get_ShouldUnicode(0xE000, 99) == 0xE000, "an unknown order type keeps the code");
        Touch(&AS400_2_Code::operator=);
        Touch(&AS400_2_Code::NHC);
        Touch(&AS400_2_Code::Code5550);
        Touch(&AS400_2_Code::IbmTerminalCode_InFile);
        Touch(&AS400_2_Code::Unicode);
        Touch(&AS400_2_Code::Big5);
        Touch(&AS400_2_Code::Seek_Unicode);
        Touch(&AS400_2_Code::Get_ShouldUnicode);
    }

    // ---- eudccore/tte_install.h
    Expect(GetNewTteData(nullptr) > 0, "a template for the default Windows version");

    // ---- eudccore/tte_copy.h
    Expect(!TTE_2_TTE("C:\\missing\\a.tte", "C:\\missing\\b.tte", true, false), "a copy between missing files");
    Touch(&TTE_2_TTE);
    Touch(&Compare_TTE);

    // ---- eudccore/lock_eudc.h
    {
        LockEUDC_Class lock;
        Expect(lock.Lock(false), "a lock not really taken");
        Touch(&LockEUDC_Class::operator=);
        Touch(&LockEUDC_Class::Lock);
    }

    // ---- eudccore/eudc_registry.h
    {
        EudcRegistry registry(TSM_CommonAppData);
        _TQFontData_Struc1 unused{};
        char path[EudcRegistry::kPathSize];
        Expect(!EudcRegistry::Trans_2_RealTteFileName(&unused, path, TSM_CommonAppData), "a slot without a file");
        Touch(&EudcRegistry::operator=);
        Touch(&EudcRegistry::InitEudcName);
        Touch(&EudcRegistry::Add);
        Touch(&EudcRegistry::Del);
        Touch(&EudcRegistry::GetFontName);
        Touch(&EudcRegistry::Trans_2_RealTteFileName);
        Touch(&EudcRegistry::CaculateTTE);
    }

    // ---- eudccore/tte_update.h
    {
        Expect(TteUpdate_Init(TSM_CommonAppData), "the font manager starts");
        TteUpdate* manager = Get_TteUpdate();
        Expect(manager && !manager->Get_FontTTE(kFontSlotCount), "no slot past the table");
        HExactBuffer bytes;
        Expect(manager && !manager->GetTteData(0, &bytes), "no bytes of a slot without a file");
        Expect(!Compare_TTE("C:\\missing.tte", 0), "no comparison with a slot without a file");
        TteUpdate_Uninit();
        Expect(!Get_TteUpdate(), "the font manager stops");

        TteUpdate local(TSM_CommonAppData);
        Touch(&TteUpdate::operator=);
        Touch(&TteUpdate::Get_FontTTE);
        Touch(&TteUpdate::Write_FontTTE);
        Touch(&TteUpdate::Write_FontTTE_DeleteClient);
        Touch(&TteUpdate::ReplaceTTE);
        Touch(&TteUpdate::Re_CreateTTE);
        Touch(&TteUpdate::DelTTE);
        Touch(&TteUpdate::GetTteData);
        Touch(&TteUpdate::TteDat_2_RealTte);
        Touch(&TteUpdate::AfterUpdateOK);
        Touch(&TteUpdate::Check_TteDat_Compatible);
        Touch(&TteUpdate::CheckAllTTE);
        Touch(&TteUpdate::Update_2_TTE);
        Touch(&TteUpdate::Internal_Check1TTE);
        Touch(&TteUpdate::ResolvePath);
        Touch(&TteUpdate::WorkingMode);
    }

    // ---- eudccore/ref_glyph.h
    Expect(GetRefGlyph(0xE000, "NoSuchFace", nullptr) == -1, "no glyph without a font");

    // ---- eudccore/client_data.h
    {
        Client_Data data;  // no file or kernel object before Init
        Client_Data copy(data);
        copy = data;
        Client_Data* shared = Get_Client_Data();
        Expect(shared && shared->GetUpdateTime(kClientCodeCount) == 0, "no update time past the records");
        Touch(&Client_Data::operator=);
        Touch(&Client_Data::Set_CodeData_Client);
        Touch(&Client_Data::Get__CodeData);
        Touch(&Client_Data::Get_EudcWithCns);
        Touch(&Client_Data::Get_TblData);
        Touch(&Client_Data::Get_ExistCount);
        Touch(&Client_Data::Get_UserMakeWord);
        Touch(&Client_Data::Get_UserManager);
        Touch(&Client_Data::Get_UserManager_All);
        Touch(&Client_Data::Set_UserManager_Client);
        Touch(&Client_Data::Change_UserMansger_DifferentCodeOrderType);
        Touch(&Client_Data::Read_FontTTE);
        Touch(&Client_Data::Write_FontTTE);
        Touch(&Client_Data::Get_SpecialFlag);
        Touch(&Client_Data::Set_SpecialFlag);
        Touch(&Client_Data::GetBuffer);
        Touch(&Client_Data::SetBuffer);
        Touch(&Client_Data::GetUpdateTime);
        Touch(&Client_Data::Get_LastFontTime);
        Touch(&Client_Data::SetFontUpdateTime);
        Touch(&Client_Data::InitVars);
        Touch(&Client_Data::Init);
        Touch(&Client_Data::UnInit);
        Touch(&Client_Data::WriteData);
        Touch(&Client_Data::ClearAllData);
        Touch(&Client_Data::UpdateFilemap);
        Touch(&Client_Data::Set_CompanyName);
        Touch(&Client_Data::GetDataFileName);
        Touch(&Client_Data::Get_WindowsDir);
        Touch(&Client_Data::Is_FillBlankToFile);
        Touch(&Client_Data::Set_FillBlankToFile);
        Touch(&Client_Data::CallOtherSession);
        Touch(&Client_Data::Replace_1_InternalData);
        Touch(&Client_Data::ReCaculate_All_InternalData);
        Touch(&Client_Data::FillBlankIntoFile);
        Touch(&Client_Data::SaveBlock);
        Touch(&Client_Data::CopySettings);
    }

    // ---- eudccore/register_word.h
    {
        // The interface's own constructors, assignment and destructor, through a class of the client.
        struct Words : TQClient_RegisterWord {
            int Update(bool) override { return 0; }
            void SetWord(const char*, unsigned short) override {}
            int ExportTables(const char*, const char*, const char*, const char*, const char*, const char*) override {
                return 0;
            }
            int ExportTables5550(const char*, const char*, const char*, const char*, int, bool) override { return 0; }
            bool Init(const char*, RegisterWordCallback) override { return false; }
        };
        Words words;
        Words copy(words);
        copy = words;
        TQClient_RegisterWord* single = Get_TQClient_RegisterWord();
        Expect(single && !single->Init(nullptr, nullptr), "the word registration refuses a start without a callback");
    }

    // ---- eudccore/ime_keys.h
    {
        unsigned char places[4];
        Zuin__Tavio_2_Microsoft("1   ", places);
        Expect(std::memcmp(places, "1  =", 4) == 0, "a lone initial gets the first tone");
        Expect(std::strlen(RegisterWord_Zuin_GetValidChar()) == 43, "the Zhuyin key string");
        Touch(&RegisterWord_Chanjei_GetValidChar);
        Touch(&Zuin__Microsoft_2_Tavio);
    }

    // ---- eudccore/ime_buffer.h
    {
        unsigned char image[256 + 8];
        const char keys[4] = {1, 0, 0, 38};
        Expect(Empty_ImeBuffer(image, 4, true, false) == 256, "an empty image is its header");
        Expect(Manager_ImeBuffer(image, 0xE000, keys, 256, 0) == 264, "one record added");
        Touch(&Manager_ImeBuffer_NZuin_XP);
    }

    // ---- eudccore/ime_helpers.h
    {
        unsigned char caption[16];
        Expect(Get_Ime_type("\xAA\x60\xAD\xB5") == 1, "the Phonetic IME by name");
        Expect(RegisterWord_Zuin_Data2Caption("1  =", caption, 4) == 8, "Zhuyin keys as symbols");
        Expect(RegisterWord_FindHKL("\xAA\x60\xAD\xB5") == nullptr, "no IME on an empty workstation");
        Touch(&RegisterWord_SetHKL);
        Touch(&ConfigEudcFile);
        Touch(&SetImeDicFile);
        Touch(&RegisterWord_Chanjei_Data2Caption);
        Touch(&RegisterWord_Zuin_Caption2Data);
        Touch(&RegisterWord_Chanjei_Caption2Data);
        Touch(&RegisterWord_Zuin);
        Touch(&RegisterWord_NewZuin);
        Touch(&RegisterWord_Chanjei);
        Touch(&RegisterWord_NewChanjei);
        Touch(&Register_OriginalIme);
    }

    return failures == 0 ? 0 : 1;
}
