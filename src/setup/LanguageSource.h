// The readable source of a language file: lines "number<TAB>text" in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {
class CodePage;
}

namespace setup {

class CLanguageSource {
public:
    struct Entry {
        int number = 0;
        std::string text; // UTF-8
    };

    // Column layout of the built table: ID then Text.
    static constexpr int kIdWidth = 5;
    static constexpr int kTextWidth = 100;

    // Blank lines and lines starting with '#' are skipped. nullopt with a
    // message naming the line for a malformed line or a repeated number.
    static std::optional<CLanguageSource> Parse(const std::string& utf8, std::string& error);

    const std::vector<Entry>& Entries() const { return m_entries; }
    // The required numbers that have no line.
    std::vector<int> Missing() const;
    // The table rows in the code page; nullopt with a message when a text
    // holds a character the page cannot hold or does not fit its column.
    std::optional<std::vector<std::string>> Rows(const platform::CodePage& codePage, std::string& error) const;

private:
    std::vector<Entry> m_entries;
};

} // namespace setup
