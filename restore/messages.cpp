#include "messages.h"

#include "platform/module.h"
#include "platform/resources.h"

namespace restore::messages {

// "Orlan造字檔 安裝程式"
const char kTitle[] = "Orlan\xB3y\xA6r\xC0\xC9 \xA6w\xB8\xCB\xB5{\xA6\xA1";
// "TQClient.tqb 不存在，請將正確的TQClient.tqb 放置到與本程式同一個目錄！"
const char kBackupMissing[] = "TQClient.tqb \xA4\xA3\xA6s\xA6" "b\xA1" "A\xBD\xD0\xB1N\xA5\xBF\xBDT\xAA\xBATQClient.tqb \xA9\xF1\xB8m\xA8\xEC\xBBP\xA5\xBB\xB5{\xA6\xA1\xA6P\xA4@\xAD\xD3\xA5\xD8\xBF\xFD\xA1I";
// "Orlan造字檔 安裝完畢！"
const char kDone[] = "Orlan\xB3y\xA6r\xC0\xC9 \xA6w\xB8\xCB\xA7\xB9\xB2\xA6\xA1I";
// "Orlan造字檔 安裝完畢！\r\n版本號%s"
const char kDoneWithVersion[] = "Orlan\xB3y\xA6r\xC0\xC9 \xA6w\xB8\xCB\xA7\xB9\xB2\xA6\xA1I\r\n\xAA\xA9\xA5\xBB\xB8\xB9%s";

}  // namespace restore::messages

namespace {

// The program's string table: the texts of the refusals, by number.
const platform::StringResource kStrings[] = {
    {20173, L"這個版本的Korrin中文不支援 Windows Vista 及 Windows Server 2008，請聯絡Tavio電腦！"},
    {20174, L"【所要回存的檔案】格式不符！"},
    {20175, L"無法開啟【所要回存的檔案】！"},
    {20176, L"Wine 正在使用這個工作站的設定，請先執行 wineserver -k 結束 Wine，再重新執行本程式！"},
    // The restore ran but did not complete: the list of what failed, one line each.
    {20177, L"Orlan造字檔 安裝未完成，以下項目沒有完成：\r\n%s"},
    {20178, L"第 %d 組字型 %s（%s）：%s"},
    {20179, L"登錄 EUDC\\950 中 %s 的連結沒有寫入"},
    {20180, L"第 %d 組字型 %s：%d 個由使用者管理的字無法保留原本的字形"},
    {20181, L"嘸蝦米字根檔 %s 沒有寫入：%s"},
    {20182, L"輸入法的造字詞庫沒有全部登錄（結果 %d）"},
    // Why a slot's TTE file was not written.
    {20190, L"無法暫停系統的造字功能（另一個程式正在使用）"},
    {20191, L"無法算出造字檔的完整路徑"},
    {20192, L"該位置已有不是字型的檔案，沒有覆寫"},
    {20193, L"備份中的造字檔無法讀取"},
    {20194, L"備份中的造字檔有損壞的字形"},
    {20195, L"沒有適合這個 Windows 版本的空白造字檔"},
    {20196, L"字形無法存入新的造字檔"},
    {20197, L"磁碟空間不足"},
    {20198, L"無法寫入（權限不足或檔案正在使用中）"},
    {20199, L"Wine 正在使用這個工作站"},
    {20200, L"系統錯誤 %lu"},
    {20201, L"暫存檔無法寫入"},
    {20202, L"資料夾不存在"},
    {20210,
     L"eudcrestore：把 Orlan 的造字（TQClient.tqb）安裝到這個工作站。\r\n"
     L"本程式在自己所在的資料夾中尋找 TQClient.tqb。\r\n"
     L"用法：eudcrestore [/Silent] [Date:版本文字] [/Verbose]\r\n"
     L"  /Silent         安裝完畢時不顯示訊息（失敗仍會顯示）\r\n"
     L"  Date:版本文字   在完畢訊息中顯示版本文字\r\n"
     L"  /Verbose        逐步列出安裝的過程\r\n"
     L"  --version       顯示本程式的版本\r\n"
     L"工作站是 WINEPREFIX 所指的 Wine 環境（未設定時為 ~/.wine）。\r\n"
     L"結束狀態：0 安裝完畢；1 找不到 TQClient.tqb；2 備份被拒絕或 Wine 正在使用；3 已執行但未全部完成。"},
};

const bool kRegistered = (platform::RegisterStringTable(kStrings, sizeof kStrings / sizeof kStrings[0]), true);

}  // namespace

namespace restore::messages {

std::string Text(unsigned id) {
    char text[1024] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

}  // namespace restore::messages
