#include "LanguageSource.h"

#include "language/TextIds.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace setup {

namespace {

// Why the line is no entry, or "" when it is one.
std::string CheckLine(const std::string& line, CLanguageSource::Entry& entry)
{
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) return "no tab after the number";
    const char* end = line.data() + tab;
    const auto [stop, ec] = std::from_chars(line.data(), end, entry.number);
    // The lookup finds "%d" only: no sign, no leading zero.
    if (ec != std::errc() || stop != end || entry.number < 0 || (line[0] == '0' && tab > 1))
        return "the number must be plain decimal digits";
    entry.text = line.substr(tab + 1);
    if (entry.text.empty()) return "empty text";
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20; };
    if (std::any_of(entry.text.begin(), entry.text.end(), control)) return "control character in the text";
    // The table store loses trailing white space on reading.
    if (entry.text.back() == ' ') return "text ends in a space";
    return {};
}

std::string Pad(std::string text, int width)
{
    text.resize(static_cast<std::size_t>(width), ' ');
    return text;
}

} // namespace

std::optional<CLanguageSource> CLanguageSource::Parse(const std::string& utf8, std::string& error)
{
    CLanguageSource source;
    std::istringstream lines(utf8);
    std::string line;
    for (int lineNumber = 1; std::getline(lines, line); ++lineNumber) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        Entry entry;
        std::string why = CheckLine(line, entry);
        const auto same = [&](const Entry& e) { return e.number == entry.number; };
        if (why.empty() && std::any_of(source.m_entries.begin(), source.m_entries.end(), same)) why = "number repeated";
        if (!why.empty()) {
            error = "line " + std::to_string(lineNumber) + ": " + why;
            return std::nullopt;
        }
        source.m_entries.push_back(std::move(entry));
    }
    return source;
}

std::vector<int> CLanguageSource::Missing() const
{
    std::vector<int> missing;
    for (const int number : text::kRequired) {
        const auto has = [number](const Entry& e) { return e.number == number; };
        if (std::none_of(m_entries.begin(), m_entries.end(), has)) missing.push_back(number);
    }
    return missing;
}

std::optional<std::vector<std::string>> CLanguageSource::Rows(const platform::CodePage& codePage,
                                                              std::string& error) const
{
    std::vector<std::string> rows;
    for (const Entry& entry : m_entries) {
        const std::string number = std::to_string(entry.number);
        const std::string text = codePage.FromUtf8(entry.text);
        if (!codePage.CanHold(entry.text))
            error =
                "text " + number + ": a character that code page " + std::to_string(codePage.Number()) + " cannot hold";
        else if (number.size() > kIdWidth || text.size() > kTextWidth)
            error = "text " + number + ": longer than its column";
        if (!error.empty()) return std::nullopt;
        rows.push_back(Pad(number, kIdWidth) + Pad(text, kTextWidth));
    }
    return rows;
}

} // namespace setup
