#include "MakeFileName.h"

#include "platform/Machine.h"
#include "tag/Id3v1Tag.h"

#include <array>
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
