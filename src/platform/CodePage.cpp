#include "CodePage.h"

#include <algorithm>

#include "Iconv.h"
#include "Utf8Decode.h"

#include <cerrno>

namespace platform {

namespace {

constexpr int kFallbackPage = 1252;
constexpr int kIsoFirst = 28591, kIsoLast = 28605;
constexpr unsigned kFirstC1 = 0x80, kLastC1 = 0x9F;
constexpr char32_t kStandInBase = 0xF700; // Private Use Area: U+F700 + byte

using PageTable = std::array<std::optional<char32_t>, 256>;

// The iconv name of a Windows code page number.
std::string IconvName(int number)
{
    if (number >= kIsoFirst && number <= kIsoLast) return "ISO-8859-" + std::to_string(number - kIsoFirst + 1);
    return "CP" + std::to_string(number);
}

// The one code point in a UTF-32LE result; nullopt when there is not exactly one.
std::optional<char32_t> SingleCodePoint(const std::string& utf32)
{
    if (utf32.size() != 4) return std::nullopt;
    char32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(utf32[i]);
    return value;
}

// The page's character of each byte, as iconv has it; fitness says why there is none.
std::optional<PageTable> ReadPage(int number, CodePageFitness& fitness)
{
    Iconv toUtf32("UTF-32LE", IconvName(number).c_str());
    fitness = CodePageFitness::Unknown;
    if (number <= 0 || !toUtf32.IsValid()) return std::nullopt;
    PageTable table{};
    for (unsigned byte = 0; byte < table.size(); ++byte) {
        const std::string in(1, static_cast<char>(byte));
        std::size_t used = 0;
        std::string out;
        const int error = toUtf32.Convert(in, used, out, 16);
        // A lead byte: only a longer sequence means something.
        if (error == EINVAL) {
            fitness = CodePageFitness::MultiByte;
            return std::nullopt;
        }
        if (error == 0) table[byte] = SingleCodePoint(out);
    }
    fitness = CodePageFitness::Usable;
    for (char32_t byte = 0; byte < 0x80; ++byte)
        if (table[byte] != byte) fitness = CodePageFitness::ChangesAscii;
    return table;
}

} // namespace

CodePage::CodePage(int number) : m_number(number)
{
    std::optional<PageTable> page = ReadPage(number, m_fitness);
    if (m_fitness != CodePageFitness::Usable) {
        CodePageFitness fallback{};
        page = ReadPage(kFallbackPage, fallback);
    }
    Build(*page);
}

std::array<char32_t, 256> CodePage::WithStandIns(const PageTable& page)
{
    std::array<char32_t, 256> points{};
    std::unordered_map<char32_t, bool> taken;
    for (unsigned byte = 0; byte < page.size(); ++byte)
        if (page[byte]) {
            points[byte] = *page[byte];
            taken[*page[byte]] = true;
        }
    for (unsigned byte = 0; byte < page.size(); ++byte) {
        if (page[byte]) continue;
        // A C1 code point that the page gives to another byte stays that byte's.
        const bool c1 = byte >= kFirstC1 && byte <= kLastC1 && !taken.contains(byte);
        points[byte] = c1 ? char32_t{byte} : kStandInBase + byte;
    }
    return points;
}

void CodePage::Build(const PageTable& page)
{
    m_toUnicode = WithStandIns(page);
    m_fromUnicode.clear();
    m_fromLowUnicode.fill(kNoByte);
    for (unsigned byte = 0; byte < m_toUnicode.size(); ++byte) {
        const char32_t point = m_toUnicode[byte];
        const std::string utf8 = EncodeUtf8(point);
        m_toUtf8[byte].size = static_cast<unsigned char>(std::min(utf8.size(), m_toUtf8[byte].bytes.size()));
        std::copy_n(utf8.begin(), m_toUtf8[byte].size, m_toUtf8[byte].bytes.begin());
        // The first byte wins, as emplace keeps the first entry.
        if (m_fromUnicode.emplace(point, static_cast<unsigned char>(byte)).second && point < kTwoByteLimit)
            m_fromLowUnicode[point] = static_cast<short>(byte);
    }
    m_asciiUnchanged = true;
    for (char32_t byte = 0; byte < 0x80; ++byte) {
        const auto back = m_fromUnicode.find(byte);
        if (m_toUnicode[byte] != byte || back == m_fromUnicode.end() || back->second != byte) m_asciiUnchanged = false;
    }
}

// Names and tags are mostly ASCII; where the page keeps ASCII as it is, such
// a text is its own conversion both ways, and the per-file cost of a listing
// stays a copy.
bool CodePage::IsPlainAscii(std::string_view text) const
{
    return m_asciiUnchanged &&
           std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string CodePage::ToUtf8(std::string_view system) const
{
    if (IsPlainAscii(system)) return std::string(system);
    std::string result;
    AppendUtf8(result, system);
    return result;
}

void CodePage::AppendUtf8(std::string& out, std::string_view system) const
{
    if (IsPlainAscii(system)) {
        out += system;
        return;
    }
    out.reserve(out.size() + 2 * system.size());
    // Runs of ASCII, most of any name or tag, are copied whole.
    const auto isHigh = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
    auto from = system.begin();
    while (from != system.end()) {
        const auto high = m_asciiUnchanged ? std::find_if(from, system.end(), isHigh) : from;
        out.append(from, high);
        if (high == system.end()) break;
        const Utf8Form& form = m_toUtf8[static_cast<unsigned char>(*high)];
        out.append(form.bytes.data(), form.size);
        from = high + 1;
    }
}

// Latin, Greek and Cyrillic texts, what single-byte pages hold, are written
// in one- and two-byte sequences; those are decoded here without iconv.
std::optional<std::string> CodePage::FromShortSequences(std::string_view utf8) const
{
    std::string result;
    result.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t point = lead;
        if (lead >= 0x80) {
            // 0xC2..0xDF and one continuation byte: anything else (overlong
            // forms, longer sequences, stray bytes) takes the general path.
            if (lead < 0xC2 || lead > 0xDF || i + 1 >= utf8.size()) return std::nullopt;
            const auto next = static_cast<unsigned char>(utf8[++i]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            point = (static_cast<char32_t>(lead & 0x1F) << 6) | (next & 0x3F);
        }
        const short byte = m_fromLowUnicode[point];
        result += byte == kNoByte ? '?' : static_cast<char>(byte);
    }
    return result;
}

std::string CodePage::FromUtf8(std::string_view utf8) const
{
    if (IsPlainAscii(utf8)) return std::string(utf8);
    if (std::optional<std::string> quick = FromShortSequences(utf8)) return *std::move(quick);
    std::string result;
    for (const char32_t c : DecodeUtf8(utf8)) {
        const auto found = m_fromUnicode.find(c);
        result += found == m_fromUnicode.end() ? '?' : static_cast<char>(found->second);
    }
    return result;
}

std::optional<char32_t> CodePage::FirstUnholdable(std::string_view utf8) const
{
    if (IsPlainAscii(utf8)) return std::nullopt;
    for (const char32_t c : DecodeUtf8(utf8))
        if (!m_fromUnicode.contains(c)) return c;
    return std::nullopt;
}

} // namespace platform
