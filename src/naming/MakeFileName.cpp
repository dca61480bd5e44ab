#include "MakeFileName.h"

#include "platform/Machine.h"
#include "tag/Id3v1Tag.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace {

constexpr std::string_view kExtension = ".mp3";
// %1 to %6, in Field order.
constexpr std::array<std::string_view, kFieldCount> kPlaceholders = {"%1", "%2", "%3", "%4", "%5", "%6"};

// Characters that file names cannot hold, in the order they are mapped.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kNameMappings = {{
    {"\\", "-"},
    {"/", "-"},
    {":", "-"},
    {"*", "x"},
    {"?", ""},
    {"<", "("},
    {">", ")"},
    {"|", "I"},
}};

// The characters the mappings replace (each one character long).
constexpr std::array<char, kNameMappings.size()> kMappedCharacters = [] {
    std::array<char, kNameMappings.size()> characters{};
    for (std::size_t i = 0; i < characters.size(); ++i)
        characters[i] = kNameMappings[i].first.front();
    return characters;
}();

// With no '%' in a value and no "%%" in the pattern, every '%' of the name
// being filled comes from the pattern and keeps the character after it
// there: no value can complete or break a placeholder, and one pass from
// left to right fills what the passes placeholder by placeholder fill. A
// pattern without a '%' has nothing to fill, whatever the values hold.
bool FillsInOnePass(std::string_view pattern, const FieldArray<std::string>& values)
{
    if (pattern.find('%') == std::string_view::npos) return true;
    return pattern.find("%%") == std::string_view::npos &&
           std::ranges::none_of(values, [](const std::string& value) { return value.find('%') != std::string::npos; });
}

// The field index of the placeholder at pattern[at], a '%'; none when the
// next character is not 1 to 6.
std::optional<std::size_t> PlaceholderAt(std::string_view pattern, std::size_t at)
{
    if (at + 1 >= pattern.size()) return std::nullopt;
    const int index = pattern[at + 1] - '1';
    if (index < 0 || index >= static_cast<int>(kPlaceholders.size())) return std::nullopt;
    return static_cast<std::size_t>(index);
}

// Calls take with each piece of the filled name in turn: the pattern's text
// between placeholders, the placeholders' values and the extension.
template <typename Take> void ForEachPiece(std::string_view pattern, const FieldArray<std::string>& values, Take take)
{
    std::size_t from = 0; // the first character not yet taken
    std::size_t at = pattern.find('%');
    while (at != std::string_view::npos) {
        const std::optional<std::size_t> field = PlaceholderAt(pattern, at);
        if (field) {
            take(pattern.substr(from, at - from));
            take(values[*field]);
            from = at + 2;
        }
        at = pattern.find('%', field ? from : at + 1);
    }
    take(pattern.substr(from));
    take(kExtension);
}

std::string FillInOnePass(std::string_view pattern, const FieldArray<std::string>& values)
{
    std::size_t size = 0;
    ForEachPiece(pattern, values, [&size](std::string_view piece) { size += piece.size(); });
    std::string name;
    name.reserve(size);
    ForEachPiece(pattern, values, [&name](std::string_view piece) { name.append(piece); });
    return name;
}

} // namespace

void ReplaceAll(std::string& text, std::string_view what, std::string_view with)
{
    if (what.empty()) return;
    // The machine's code pages are single-byte, so a byte-wise search is character-wise.
    std::size_t at = text.find(what);
    if (at == std::string::npos) return; // the usual case when naming many files: nothing to copy
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (; at != std::string::npos; at = text.find(what, from)) {
        result.append(text, from, at - from).append(with);
        from = at + what.size();
    }
    result.append(text, from, std::string::npos);
    text = std::move(result);
}

std::string FillPattern(std::string_view pattern, const FieldArray<std::string>& values)
{
    if (FillsInOnePass(pattern, values)) return FillInOnePass(pattern, values);
    std::string name(pattern);
    name += kExtension;
    for (std::size_t i = 0; i < kPlaceholders.size(); ++i)
        ReplaceAll(name, kPlaceholders[i], values[i]);
    return name;
}

std::string MakeFileName(std::string_view pattern, const CId3v1Tag& tag)
{
    FieldArray<std::string> values;
    for (Field field : kFields)
        At(values, field) = tag.Get(field);
    return MakeFileName(pattern, values);
}

std::string MakeHostFileName(std::string_view pattern, const CId3v1Tag& tag)
{
    return platform::ToUtf8(MakeFileName(pattern, tag));
}

std::string MakeFileName(std::string_view pattern, const FieldArray<std::string>& values)
{
    std::string name = FillPattern(pattern, values);
    // Most names hold none of the characters; one look answers for all.
    if (name.find_first_of(kMappedCharacters.data(), 0, kMappedCharacters.size()) == std::string::npos) return name;
    for (const auto& [what, with] : kNameMappings)
        ReplaceAll(name, what, with);
    return name;
}
