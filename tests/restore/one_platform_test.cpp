// The program and libeudccore share one platform: what the library's calls leave behind (the last
// error, handles) is what the program sees.
#include <gtest/gtest.h>

#include "backup_writer.h"
#include "eudccore/tte_update.h"
#include "foundation/exact_buffer.h"
#include "platform/fileapi.h"
#include "support/temp_prefix.h"

TEST(OnePlatform, LastErrorSetInsideTheLibraryIsSeenHere) {
    testsupport::TempPrefix prefix;
    auto table = backupwriter::ReferenceFontTable();
    ASSERT_TRUE(TteUpdate_Init(TSM_SystemFolders));
    Get_TteUpdate()->Write_FontTTE(reinterpret_cast<const _TQFontData_Struc1*>(table.data()));
    SetLastError(ERROR_SUCCESS);
    HExactBuffer bytes;
    // The slot's TTE file does not exist: the library's open of it fails inside the platform.
    EXPECT_FALSE(Get_TteUpdate()->GetTteData(0, &bytes));
    const DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
    TteUpdate_Uninit();
}
