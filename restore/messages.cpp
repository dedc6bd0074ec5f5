#include "messages.h"

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
};

const bool kRegistered = (platform::RegisterStringTable(kStrings, sizeof kStrings / sizeof kStrings[0]), true);

}  // namespace
