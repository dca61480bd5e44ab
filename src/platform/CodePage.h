// The machine's 8-bit code page and its conversions to and from UTF-8.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform {

// Why a code page number can or cannot serve as the machine's page.
enum class CodePageFitness {
    Usable,       // a single-byte page that keeps ASCII (0x00..0x7F) as it is
    Unknown,      // iconv knows no page of that number
    MultiByte,    // some bytes only lead a longer sequence (932, 936 ...)
    ChangesAscii, // a single-byte page that moves ASCII elsewhere (EBCDIC 500, 037)
};

// A single-byte Windows code page (1252, 1250, 1251, 437, 850, 28591 ...).
// Conversions go through iconv once, at construction, into tables. Every
// byte round-trips: a byte the page leaves undefined stands for a code point
// of its own (0x80..0x9F as U+0080..U+009F where the page does not use that
// code point itself, any other as U+F700 + byte) that converts back to it.
// A page that is not usable acts as cp1252, which every iconv has; callers
// that take a page from the user check Fitness() first.
class CodePage {
public:
    explicit CodePage(int number = 1252);

    int Number() const { return m_number; }
    CodePageFitness Fitness() const { return m_fitness; }
    bool IsUsable() const { return m_fitness == CodePageFitness::Usable; }

    std::string ToUtf8(std::string_view system) const;
    // ToUtf8 onto the end of out, for callers that build long texts.
    void AppendUtf8(std::string& out, std::string_view system) const;
    // A character with no byte in the page becomes '?', and so does each
    // invalid UTF-8 byte: text the user typed is checked with FirstUnholdable
    // before it is converted, so nothing typed turns into '?' unnoticed.
    std::string FromUtf8(std::string_view utf8) const;
    // The first character of the UTF-8 text that has no byte in this page
    // (kInvalidUtf8Byte for a byte that is not UTF-8); nullopt when all fit.
    std::optional<char32_t> FirstUnholdable(std::string_view utf8) const;
    bool CanHold(std::string_view utf8) const { return !FirstUnholdable(utf8); }

private:
    // A byte's UTF-8 form: up to 4 bytes.
    struct Utf8Form {
        std::array<char, 4> bytes{};
        unsigned char size = 0;
    };
    static constexpr char32_t kTwoByteLimit = 0x800; // code points UTF-8 writes in one or two bytes
    static constexpr short kNoByte = -1;

    bool IsPlainAscii(std::string_view text) const;
    // Fills the tables from the page's code point of each byte (nullopt: undefined).
    void Build(const std::array<std::optional<char32_t>, 256>& page);
    // Gives each undefined byte its own code point.
    static std::array<char32_t, 256> WithStandIns(const std::array<std::optional<char32_t>, 256>& page);
    // FromUtf8 for texts of one- and two-byte sequences only; nullopt otherwise.
    std::optional<std::string> FromShortSequences(std::string_view utf8) const;

    int m_number = 1252;
    CodePageFitness m_fitness = CodePageFitness::Usable;
    std::array<char32_t, 256> m_toUnicode{};
    std::array<Utf8Form, 256> m_toUtf8{};
    std::unordered_map<char32_t, unsigned char> m_fromUnicode;
    std::array<short, kTwoByteLimit> m_fromLowUnicode{}; // byte of each code point below 0x800, or kNoByte
    bool m_asciiUnchanged = false;                       // bytes 0x00..0x7F are the same characters in this page
};

} // namespace platform
