// Arbitrary bytes as a hive file: what Parse accepts (lines it does not
// understand included) must Serialize into a text that parses to the same
// keys, values and kept lines and serializes identically;
// a value set afterwards must survive the same round trip.
#include "FuzzCheck.h"

#include "platform/Registry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kKeyStart = "[HKEY_LOCAL_MACHINE\\";

// The names the program reads, as (key, value).
constexpr std::pair<std::string_view, std::string_view> kKnownValues[] = {
    {"Software\\Velmora", "LangPath"},
    {"Software\\Velmora", "Language"},
    {"Software\\Velmora\\Sonadex Pro", "Rename"},
    {"software\\velmora\\sonadex pro", "LASTPATH"},
    {"System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP"},
    {"System\\MountedDevices", "\\DosDevices\\C:"},
    {"\\Software\\Velmora\\", ""},
};

// The keys of this hive named in a serialized text, one per "[...]" line.
std::vector<std::string> KeysIn(std::string_view text)
{
    std::vector<std::string> keys;
    for (std::size_t at = text.find(kKeyStart); at != std::string_view::npos; at = text.find(kKeyStart, at + 1)) {
        if (at != 0 && text[at - 1] != '\n') continue;
        const std::size_t end = text.find("]\r\n", at);
        if (end != std::string_view::npos)
            keys.emplace_back(text.substr(at + kKeyStart.size(), end - at - kKeyStart.size()));
    }
    return keys;
}

void CheckSame(const platform::CHive& a, const platform::CHive& b, std::string_view text)
{
    for (const std::string& key : KeysIn(text)) {
        FUZZ_CHECK(a.HasKey(key) == b.HasKey(key));
        FUZZ_CHECK(a.Values(key) == b.Values(key));
    }
    for (const auto& [key, value] : kKnownValues) {
        FUZZ_CHECK(a.Get(key, value) == b.Get(key, value));
        FUZZ_CHECK(a.HasValue(key, value) == b.HasValue(key, value));
    }
}

platform::CHive RoundTrip(const platform::CHive& hive)
{
    const std::string text = hive.Serialize();
    const auto again = platform::CHive::Parse(text);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->Serialize() == text);
    // A line not understood is written back as it was, so it is not understood again.
    FUZZ_CHECK(again->BadLines().size() == hive.BadLines().size());
    CheckSame(hive, *again, text);
    return *again;
}

// Sets a value named and filled from the input on the first key of the hive.
void CheckSet(platform::CHive hive, std::string_view input)
{
    const std::vector<std::string> keys = KeysIn(hive.Serialize());
    if (keys.empty()) return;
    const std::string name(input.substr(0, input.size() / 4));
    const std::string data(input.substr(input.size() / 2));
    if (!hive.Set(keys.front(), name, data)) return;
    FUZZ_CHECK(hive.Get(keys.front(), name) == data);
    FUZZ_CHECK(RoundTrip(hive).Get(keys.front(), name) == data);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto hive = platform::CHive::Parse(text);
    if (!hive) return 0;
    RoundTrip(*hive);
    CheckSet(*hive, text);
    return 0;
}
