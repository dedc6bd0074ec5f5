// The client data store: the CNS search at its worst (no record matches, all 6400 are read) and
// one publication of the block (mutex, mapping, copy), each per call. Runs in a throw-away prefix.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "eudccore/client_data.h"

namespace fs = std::filesystem;

namespace {

fs::path g_scratch;

void BM_Get_EudcWithCns_NoMatch(benchmark::State& state) {
    Client_Data* data = Get_Client_Data();
    // Every record holds a CNS code, none of them the one asked for.
    for (unsigned code = 0xE000; code <= 0xF8FF; ++code) {
        _WORD_DATA_Code r{};
        r.UserWord = 1;
        r.Cns = {'1', {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)}};
        r.Code = static_cast<uint16_t>(code);
        data->Set_CodeData_Client(&r);
    }
    ARRAY_CNS_DATA missing{'1', {0x00, 0x01}};
    for (auto _ : state) benchmark::DoNotOptimize(data->Get_EudcWithCns(&missing));
}
BENCHMARK(BM_Get_EudcWithCns_NoMatch);

void BM_Publication(benchmark::State& state) {
    Client_Data* data = Get_Client_Data();
    std::string dir = "Z:" + g_scratch.string();
    for (char& c : dir)
        if (c == '/') c = '\\';
    char name[] = "client.dat";
    if (data->Init(name, dir.c_str(), false) != 0 || !data->m_mapping || !data->m_mutex) {
        state.SkipWithError("no publication");
        return;
    }
    for (auto _ : state) data->UpdateFilemap();
    data->UnInit();
}
BENCHMARK(BM_Publication);

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/client_data_bench.XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    g_scratch = pattern;
    setenv("WINEPREFIX", (g_scratch / "prefix").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(g_scratch);
    return 0;
}
