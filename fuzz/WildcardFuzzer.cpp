// Arbitrary bytes as a wildcard and a name, split at the first zero byte (a
// name cannot hold one). Besides not crashing or hanging, the match must keep
// the rules the finder's listings rely on.
#include "FuzzCheck.h"

#include "platform/CaseFold.h"
#include "platform/FileFind.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string AsciiCase(std::string text, int (*change)(int))
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x80) c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return text;
}

bool HasWildcard(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}

// The rule spelled out plainly, over folded code points: a table of which
// pattern prefixes match which name prefixes.
bool ReferenceMatch(const std::u32string& pattern, const std::u32string& name)
{
    std::vector<std::vector<char>> matched(pattern.size() + 1, std::vector<char>(name.size() + 1, 0));
    matched[0][0] = 1;
    for (std::size_t p = 1; p <= pattern.size(); ++p)
        for (std::size_t n = 0; n <= name.size(); ++n) {
            const char32_t c = pattern[p - 1];
            if (c == U'*')
                matched[p][n] = matched[p - 1][n] || (n > 0 && matched[p][n - 1]);
            else
                matched[p][n] = n > 0 && matched[p - 1][n - 1] && (c == U'?' || c == name[n - 1]);
        }
    return matched[pattern.size()][name.size()];
}

bool ReferenceWildcard(const std::string& pattern, const std::string& name)
{
    const std::u32string folded = platform::FoldedCodePoints(pattern), foldedName = platform::FoldedCodePoints(name);
    if (ReferenceMatch(folded, foldedName)) return true;
    return pattern.ends_with(".*") && ReferenceMatch(folded.substr(0, folded.size() - 2), foldedName);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string pattern(input.substr(0, split));
    const std::string name(split == std::string_view::npos ? input : input.substr(split + 1));

    const bool matches = platform::MatchesWildcard(pattern, name);
    if (pattern.size() * name.size() < 100000) FUZZ_CHECK(matches == ReferenceWildcard(pattern, name));
    // Letters compare without case, both ways round.
    FUZZ_CHECK(platform::MatchesWildcard(pattern, AsciiCase(name, std::toupper)) == matches);
    FUZZ_CHECK(platform::MatchesWildcard(AsciiCase(pattern, std::tolower), name) == matches);
    FUZZ_CHECK(platform::MatchesWildcard("*", name));
    FUZZ_CHECK(platform::MatchesWildcard("*.*", name));
    if (!HasWildcard(name)) FUZZ_CHECK(platform::MatchesWildcard(name, AsciiCase(name, std::tolower)));
    // '?' stands for one character (an invalid byte is one), so lengths count
    // characters: a pattern without wildcards matches only names as long as it.
    const std::size_t characters = platform::FoldedCodePoints(name).size();
    if (!HasWildcard(pattern) && matches) FUZZ_CHECK(platform::FoldedCodePoints(pattern).size() == characters);
    FUZZ_CHECK(platform::MatchesWildcard(std::string(characters, '?'), name));
    return 0;
}
