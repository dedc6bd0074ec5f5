// One Update(true) of the registration front end for 6400 characters with the four IMEs described,
// against writing the same table bytes to the same files. Runs in a throw-away prefix set to XP,
// where every IME takes a table of its own.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/process_version.h"
#include "foundation/os_file.h"
#include "ime/register_word_big5.h"
#include "platform/windows.h"

namespace fs = std::filesystem;

namespace {

fs::path g_scratch;
std::vector<std::pair<std::string, std::string>> g_tables;  // Windows path, bytes

// Every code has Zhuyin and Changjie keys.
void Serve(unsigned int code, _WORD_DATA_Code* record) {
    std::memset(record, 0, sizeof *record);
    record->UserWord = 1;
    const char* zhuyin[] = {"1   ", "JI3 ", "U8  ", "5J4 "};
    std::memcpy(record->Zhuyin, zhuyin[code % 4], 4);
    const char changjie[5] = {static_cast<char>('A' + code % 26), static_cast<char>('A' + code / 26 % 26), 'C', 0, 0};
    std::memcpy(record->Changjie, changjie, 5);
    record->Code = static_cast<uint16_t>(code);
}

bool Describe(const char* layout, const char* file, const char* text) {
    HKEY key = nullptr;
    const std::string path = std::string("SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\") + layout;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegSetValueExA(key, "Ime File", 0, REG_SZ, reinterpret_cast<const BYTE*>(file), std::strlen(file) + 1);
    RegCloseKey(key);
    const fs::path system = g_scratch / "prefix" / "drive_c" / "windows" / "system32";
    fs::create_directories(system);
    std::ofstream(system / file) << text;
    return true;
}

std::string ReadAll(const std::string& windowsPath) {
    OS_File file;
    if (!file.Open(windowsPath.c_str(), 0x8000)) return {};
    std::string bytes(file.GetLength(), '\0');
    file.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return bytes;
}

void BM_Update_6400_FourImes(benchmark::State& state) {
    TQClient_RegisterWord_Big5 front;
    const std::string tables = "Z:" + g_scratch.string();
    front.Init(tables.c_str(), Serve);
    int result = 0;
    for (auto _ : state) result = front.Update(true);
    if (result != 0) {
        state.SkipWithError(("the registration failed: " + std::to_string(result)).c_str());
        return;
    }
    g_tables.clear();
    for (const char* name : {"TQ_Zuin.Tbl", "TQ_Chanj.Tbl", "TQ_NZuin.Tbl", "TQ_NChaJ.Tbl"}) {
        const std::string path = front.TableFileName(name == std::string("TQ_Zuin.Tbl")     ? "\xAA\x60\xAD\xB5"
                                                     : name == std::string("TQ_Chanj.Tbl")  ? "\xAD\xDC\xBE\x65"
                                                     : name == std::string("TQ_NZuin.Tbl") ? "\xB7\x73\xAA\x60\xAD\xB5"
                                                                                           : "\xB7\x73\xAD\xDC\xBE\x65");
        g_tables.emplace_back(path, ReadAll(path));
        if (g_tables.back().second.empty()) state.SkipWithError(("no table " + path).c_str());
    }
}
BENCHMARK(BM_Update_6400_FourImes)->Unit(benchmark::kMillisecond);

// The same bytes into the same files, opened, written and cut the same way.
void BM_WriteTheSameTables(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        for (const auto& [path, image] : g_tables) {
            OS_File file;
            file.Open(path.c_str(), 0x8002);
            file.Write(image.data(), static_cast<uint32_t>(image.size()));
            file.SetLength(static_cast<uint32_t>(image.size()));
            file.Flush();
            file.Close();
            bytes += image.size();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteTheSameTables)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/register_word_bench.XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    g_scratch = pattern;
    setenv("WINEPREFIX", (g_scratch / "prefix").c_str(), 1);
    setenv("EUDC_HOST_FONTS", "0", 1);
    {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
        RegCloseKey(key);
    }
    eudc::RefreshWindowsVersionCode();  // computed at load, before the prefix was chosen
    Describe("E0010404", "phon.ime", "Name=\xE6\xB3\xA8\xE9\x9F\xB3\n");
    Describe("E0020404", "chajei.ime", "Name=\xE5\x80\x89\xE9\xA0\xA1\n");
    Describe("E0080404", "MSTCIPHA.IME", "Name=\xE6\x96\xB0\xE6\xB3\xA8\xE9\x9F\xB3\nUnicode=1\nProductVersion=6.0.0.1\n");
    Describe("E0090404", "newcj.ime", "Name=\xE6\x96\xB0\xE5\x80\x89\xE9\xA0\xA1\nUnicode=1\n");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(g_scratch);
    return 0;
}
