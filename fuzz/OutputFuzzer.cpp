// Arbitrary bytes as a file name and an ID3v1 tag, written out the way list
// and show write them: JSON, CSV, TSV and text. Whatever the bytes, the JSON
// must parse and be valid UTF-8 (its names and tag texts reading back as
// given), CSV and TSV must read back cell for cell, and the text must hold no
// control byte but its separators.
//
// Input: one byte choosing the code page, the name up to the first zero byte,
// then the last 128 bytes of the rest as the tag record.
#include "FuzzCheck.h"
#include "FuzzDrive.h"

#include "cli/CliOutput.h"
#include "cli/JsonWriter.h"
#include "cli/RowOutput.h"
#include "platform/Machine.h"
#include "tag/Id3v1Tag.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

constexpr char kFileName[] = "a.mp3";
constexpr std::array kPages{1252, 1250, 1251, 1253, 1255, 437, 850, 874};

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80                 ? 1
                             : c >= 0xC2 && c <= 0xDF ? 2
                             : c >= 0xE0 && c <= 0xEF ? 3
                             : c >= 0xF0 && c <= 0xF4 ? 4
                                                      : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        const auto second = static_cast<unsigned char>(text[i + 1 < text.size() ? i + 1 : i]);
        if (c == 0xE0 && second < 0xA0) return false; // overlong
        if (c == 0xED && second > 0x9F) return false; // surrogate
        if (c == 0xF0 && second < 0x90) return false; // overlong
        if (c == 0xF4 && second > 0x8F) return false; // past U+10FFFF
        i += length;
    }
    return true;
}

// A strict reader of the JSON the writer makes (RFC 8259): true when the whole
// text is one value; the top object's string members are collected.
class CJsonReader {
public:
    explicit CJsonReader(std::string_view text) : m_text(text) {}

    bool ReadDocument(std::map<std::string, std::string>& strings)
    {
        m_strings = &strings;
        SkipBlanks();
        if (!Value(0)) return false;
        SkipBlanks();
        return m_at == m_text.size();
    }

private:
    static constexpr int kMaxDepth = 64;

    bool Value(int depth)
    {
        if (depth > kMaxDepth || m_at >= m_text.size()) return false;
        switch (m_text[m_at]) {
        case '{':
            return Object(depth);
        case '[':
            return Array(depth);
        case '"':
            return String(nullptr);
        case 't':
            return Word("true");
        case 'f':
            return Word("false");
        case 'n':
            return Word("null");
        default:
            return Number();
        }
    }

    bool Object(int depth)
    {
        ++m_at;
        SkipBlanks();
        if (Take('}')) return true;
        do {
            SkipBlanks();
            std::string name;
            if (!String(&name)) return false;
            SkipBlanks();
            if (!Take(':')) return false;
            SkipBlanks();
            if (depth == 0 && m_at < m_text.size() && m_text[m_at] == '"') {
                std::string text;
                if (!String(&text)) return false;
                (*m_strings)[name] = text;
            } else if (!Value(depth + 1)) {
                return false;
            }
            SkipBlanks();
        } while (Take(','));
        return Take('}');
    }

    bool Array(int depth)
    {
        ++m_at;
        SkipBlanks();
        if (Take(']')) return true;
        do {
            SkipBlanks();
            if (!Value(depth + 1)) return false;
            SkipBlanks();
        } while (Take(','));
        return Take(']');
    }

    bool String(std::string* out)
    {
        if (!Take('"')) return false;
        std::string text;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            const char c = m_text[m_at++];
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                text += c;
                continue;
            }
            if (m_at >= m_text.size()) return false;
            const char escaped = m_text[m_at++];
            const std::string_view simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
            if (const std::size_t k = simple.find(escaped); k != std::string_view::npos) {
                text += meaning[k];
            } else if (escaped == 'u') {
                if (!UnicodeEscape(text)) return false;
            } else {
                return false;
            }
        }
        if (!Take('"')) return false;
        if (out) *out = std::move(text);
        return true;
    }

    // \uXXXX below U+0080 only: the writer escapes nothing else this way.
    bool UnicodeEscape(std::string& text)
    {
        if (m_at + 4 > m_text.size()) return false;
        unsigned value = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = m_text[m_at++];
            const std::string_view digits = "0123456789abcdef", upper = "0123456789ABCDEF";
            std::size_t d = digits.find(c);
            if (d == std::string_view::npos) d = upper.find(c);
            if (d == std::string_view::npos) return false;
            value = value * 16 + static_cast<unsigned>(d);
        }
        if (value >= 0x80) return false;
        text += static_cast<char>(value);
        return true;
    }

    bool Number()
    {
        const std::size_t start = m_at;
        Take('-');
        if (Take('0')) {
        } else if (!Digits()) {
            return false;
        }
        if (Take('.') && !Digits()) return false;
        if (Take('e') || Take('E')) {
            if (!Take('+')) Take('-');
            if (!Digits()) return false;
        }
        return m_at > start;
    }

    bool Digits()
    {
        const std::size_t start = m_at;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
            ++m_at;
        return m_at > start;
    }

    bool Word(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word) return false;
        m_at += word.size();
        return true;
    }

    bool Take(char c)
    {
        if (m_at >= m_text.size() || m_text[m_at] != c) return false;
        ++m_at;
        return true;
    }

    void SkipBlanks()
    {
        while (m_at < m_text.size() && std::string_view(" \t\r\n").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::map<std::string, std::string>* m_strings = nullptr;
};

struct Shown {
    std::string name;               // host bytes
    FieldArray<std::string> fields; // UTF-8
    CId3v1Tag tag;
};

std::string Hex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += kDigits[static_cast<unsigned char>(c) >> 4];
        hex += kDigits[static_cast<unsigned char>(c) & 0xF];
    }
    return hex;
}

void CheckJson(const Shown& shown)
{
    CJsonWriter json;
    json.BeginObject();
    json.PathMember("name", shown.name);
    json.Member("has_tag", shown.tag.HasTag());
    json.TagMembers(shown.fields, shown.tag.GetTrack(), shown.tag.HasId3v2(),
                    shown.tag.HasTag() ? std::optional<std::uint64_t>(shown.tag.GetGenreByte()) : std::nullopt);
    json.EndObject();
    const std::string& text = json.Text();
    FUZZ_CHECK(IsUtf8(text));
    std::map<std::string, std::string> strings;
    FUZZ_CHECK(CJsonReader(text).ReadDocument(strings));
    for (const Field field : kFields)
        FUZZ_CHECK(strings[std::string(FieldName(field))] == At(shown.fields, field));
    if (IsUtf8(shown.name)) {
        FUZZ_CHECK(strings["name"] == shown.name);
        FUZZ_CHECK(!strings.contains("name_hex"));
    } else {
        FUZZ_CHECK(strings["name_hex"] == Hex(shown.name));
    }
}

std::vector<std::string> Cells(const Shown& shown)
{
    std::vector<std::string> cells{shown.name};
    cells.insert(cells.end(), shown.fields.begin(), shown.fields.end());
    cells.push_back(std::to_string(shown.tag.GetTrack()));
    return cells;
}

// RFC 4180 read back: quoted cells may hold anything, a doubled quote is one.
std::optional<std::vector<std::string>> ReadRow(std::string_view text, char separator, std::string_view lineEnd)
{
    if (!text.ends_with(lineEnd)) return std::nullopt;
    text.remove_suffix(lineEnd.size());
    std::vector<std::string> cells(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == separator) {
            cells.emplace_back();
        } else if (text[i] == '"' && cells.back().empty() && (i == 0 || text[i - 1] == separator)) {
            for (++i;; ++i) {
                if (i >= text.size()) return std::nullopt;
                if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                    cells.back() += '"';
                    ++i;
                } else if (text[i] == '"') {
                    break;
                } else {
                    cells.back() += text[i];
                }
            }
            if (i + 1 < text.size() && text[i + 1] != separator) return std::nullopt;
        } else if (text[i] == '"' || text[i] == '\r' || text[i] == '\n') {
            return std::nullopt; // a bare quote or line break outside quotes
        } else {
            cells.back() += text[i];
        }
    }
    return cells;
}

void CheckRows(const Shown& shown)
{
    const std::vector<std::string> cells = Cells(shown);
    for (const auto& [format, separator, lineEnd] : {std::tuple{OutputFormat::Csv, ',', std::string_view("\r\n")},
                                                     std::tuple{OutputFormat::Tsv, '\t', std::string_view("\n")}}) {
        std::string row;
        AppendRow(row, cells, format);
        FUZZ_CHECK(ReadRow(row, separator, lineEnd) == cells);
    }
    std::string text;
    AppendRow(text, cells, OutputFormat::Text);
    FUZZ_CHECK(text.ends_with('\n'));
    std::size_t tabs = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        tabs += c == '\t';
        FUZZ_CHECK(c == '\t' || (c >= 0x20 && c != 0x7F));
        // No C1 control as a UTF-8 character either.
        FUZZ_CHECK(!(c == 0xC2 && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                     static_cast<unsigned char>(text[i + 1]) <= 0x9F));
    }
    FUZZ_CHECK(tabs + 1 == cells.size());
    for (const std::string& cell : cells)
        FUZZ_CHECK(TerminalText(cell).find_first_of(std::string_view("\0\r\n\t\x1b\x7f", 6)) == std::string::npos);
}

void InstallPage(int number)
{
    static const std::array<platform::CodePage, kPages.size()> pages = [] {
        std::array<platform::CodePage, kPages.size()> made;
        for (std::size_t i = 0; i < kPages.size(); ++i)
            made[i] = platform::CodePage(kPages[i]);
        return made;
    }();
    platform::Machine machine = platform::CurrentMachine();
    machine.codePage = pages[static_cast<std::size_t>(number) % pages.size()];
    platform::InstallMachine(std::move(machine));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const CFuzzDrive& drive = CFuzzDrive::Get();
    InstallPage(data[0]);
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = std::min(input.find('\0'), input.size());
    Shown shown;
    shown.name = std::string(input.substr(0, split));
    const std::string_view file = input.substr(std::min(split + 1, input.size()));
    // "TAG" before the record's bytes, so that most inputs carry a tag.
    drive.WriteFile(kFileName, std::string("\xFF\xFB", 2) + "TAG" + std::string(file));
    if (shown.tag.Open(drive.Sys(kFileName)))
        for (const Field field : kFields)
            At(shown.fields, field) = platform::ToUtf8(shown.tag.Get(field));
    CheckJson(shown);
    CheckRows(shown);
    return 0;
}
