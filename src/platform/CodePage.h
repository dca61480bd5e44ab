// The machine's 8-bit code page and its conversions to and from UTF-8.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform {

// A single-byte Windows code page (1252, 1250, 1251, 437, 850, 28591 ...).
// Conversions go through iconv once, at construction, into tables, so a
// conversion never fails: a character the page cannot hold becomes '?', and
// a byte the page leaves undefined becomes U+FFFD.
class CodePage {
public:
    explicit CodePage(int number = 1252);

    int Number() const { return m_number; }
    // False when iconv knows no such page; the page then acts as cp1252.
    bool IsKnown() const { return m_known; }

    std::string ToUtf8(std::string_view system) const;
    // ToUtf8 onto the end of out, for callers that build long texts.
    void AppendUtf8(std::string& out, std::string_view system) const;
    std::string FromUtf8(std::string_view utf8) const;
    // True when every character of the UTF-8 text has a byte in this page.
    bool CanHold(std::string_view utf8) const;

private:
    // A byte's UTF-8 form: up to 4 bytes.
    struct Utf8Form {
        std::array<char, 4> bytes{};
        unsigned char size = 0;
    };
    static constexpr char32_t kTwoByteLimit = 0x800; // code points UTF-8 writes in one or two bytes
    static constexpr short kNoByte = -1;

    bool IsPlainAscii(std::string_view text) const;
    bool Build(int number);
    // FromUtf8 for texts of one- and two-byte sequences only; nullopt otherwise.
    std::optional<std::string> FromShortSequences(std::string_view utf8) const;

    int m_number = 1252;
    bool m_known = false;
    std::array<char32_t, 256> m_toUnicode{};
    std::array<Utf8Form, 256> m_toUtf8{};
    std::unordered_map<char32_t, unsigned char> m_fromUnicode;
    std::array<short, kTwoByteLimit> m_fromLowUnicode{}; // byte of each code point below 0x800, or kNoByte
    bool m_asciiUnchanged = false;                       // bytes 0x00..0x7F are the same characters in this page
};

} // namespace platform
