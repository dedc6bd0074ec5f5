// Wine registry files: whatever the parser accepts it saves as text that loads to the same keys
// and values and saves again byte for byte.
#include <string>

#include "fuzz_target.h"
#include "registry/reg_format.h"
#include "registry/reg_parse.h"
#include "support/temp_prefix.h"

namespace {

using namespace platform::registry;

std::string Dump(const Key& key) {
    std::string out = "[" + FormatKeyPath(key) + "]";
    if (key.className) AppendEscaped(out, *key.className, '"', '"');
    out += key.link ? "#link\n" : "\n";
    for (const Value& v : key.values) out += FormatValue(v);
    for (const auto& sub : key.subkeys) out += Dump(*sub);
    return out;
}

std::vector<std::string> Seeds() {
    std::vector<std::string> seeds;
    for (const char* name : {"user.reg", "userdef.reg"}) {
        const std::string text = testsupport::ReadTestData(std::string("wine-prefix/") + name + ".gz");
        seeds.push_back(text.substr(0, 6000));  // the start of a real file: header, keys, escapes
    }
    seeds.push_back("WINE REGISTRY Version 2\n\n[K] 0\n\"a\"=dword:00000001\n\"a\"=hex(7):61,00,00,00");
    seeds.push_back("WINE REGISTRY Version 2\n\n[A\\\\c] 0\n\"x\"=str(2):\"%SystemRoot%\"\n\n[a] 0\n@=\"\\x6a19\"\n");
    return seeds;
}

}  // namespace

EUDC_FUZZ_TARGET(registry, Seeds) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto hive = ParseHive(text);
    if (!hive) return 0;
    const std::string once = Serialize(*hive).text;
    auto again = ParseHive(once);
    FUZZ_CHECK(again != nullptr);
    FUZZ_CHECK(Dump(again->root) == Dump(hive->root));
    FUZZ_CHECK(Serialize(*again).text == once);
    return 0;
}
