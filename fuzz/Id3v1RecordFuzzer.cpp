// Arbitrary bytes as a 128-byte record and as texts for it: parse, render and
// every field's read and write rule, with no file. Parsing and rendering are
// mirror images, and a write touches its field's bytes and no others.
#include "FuzzCheck.h"

#include "tag/GenreTable.h"
#include "tag/Id3v1Record.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kSize = CId3v1Record::kSize;

bool IsCSpace(char c)
{
    return std::string_view(" \t\n\v\f\r").find(c) != std::string_view::npos;
}

std::string_view Bytes(const CId3v1Record& record)
{
    return {reinterpret_cast<const char*>(record.Render().data()), record.Render().size()};
}

// A field's text is a prefix of its bytes, without zero bytes or trailing white space.
void CheckRead(const CId3v1Record& record)
{
    for (Field field : kFields) {
        if (field == Field::Genre) continue;
        const std::string value = record.Get(field);
        const std::string_view bytes = Bytes(record).substr(LayoutOf(field).offset, LayoutOf(field).width);
        FUZZ_CHECK(bytes.starts_with(value));
        FUZZ_CHECK(value.find('\0') == std::string::npos);
        FUZZ_CHECK(value.empty() || !IsCSpace(value.back()));
    }
}

// Bytes a write of field may change: its own, and for the comment the genre never.
bool OutsideField(Field field, std::size_t at)
{
    return at < LayoutOf(field).offset || at >= LayoutOf(field).offset + LayoutOf(field).width;
}

void CheckWrite(const CId3v1Record& parsed, Field field, std::string_view text)
{
    CId3v1Record record = parsed;
    record.Set(field, text);
    for (std::size_t at = 0; at < kSize; ++at)
        if (OutsideField(field, at)) FUZZ_CHECK(record.Render()[at] == parsed.Render()[at]);
    if (field == Field::Genre) {
        // A genre is taken by number or by name in any case, and reads back as the table names it.
        const std::optional<unsigned char> number = GenreNumber(text);
        FUZZ_CHECK(record.Get(field) == (number ? GenreName(*number) : std::string()));
        return;
    }
    // Read back as the read rule sees the stored text.
    std::string stored(text.substr(0, LayoutOf(field).width));
    if (field == Field::Comment && parsed.Track() != 0 && text.size() <= 28) stored = stored.substr(0, 28);
    stored = stored.substr(0, stored.find('\0'));
    while (!stored.empty() && IsCSpace(stored.back()))
        stored.pop_back();
    FUZZ_CHECK(record.Get(field) == stored);
    // A comment that fits beside a track number keeps it.
    if (field == Field::Comment && text.size() <= 28) FUZZ_CHECK(record.Track() == parsed.Track());
    // Writing what was read gives the same reading again.
    CId3v1Record again = record;
    again.Set(field, record.Get(field));
    FUZZ_CHECK(again.Get(field) == record.Get(field));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const unsigned char> input(data, size);
    const auto raw = CId3v1Record::Parse(input);
    FUZZ_CHECK(raw.has_value() == (size == kSize && std::memcmp(data, "TAG", 3) == 0));

    // The first 128 bytes with the marker forced, so that most inputs parse;
    // the rest of the input is the text to write.
    CId3v1Record::Bytes bytes{};
    std::copy_n(data, std::min(size, kSize), bytes.begin());
    std::memcpy(bytes.data(), "TAG", 3);
    const auto record = CId3v1Record::Parse(bytes);
    FUZZ_CHECK(record.has_value());
    FUZZ_CHECK(Bytes(*record) == std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    CheckRead(*record);

    const std::string_view rest =
        size > kSize ? std::string_view(reinterpret_cast<const char*>(data) + kSize, size - kSize) : std::string_view();
    for (Field field : kFields)
        CheckWrite(*record, field, rest);
    CheckWrite(*record, Field::Genre, GenreName(static_cast<unsigned char>(bytes[kSize - 1] % 150)));
    return 0;
}
