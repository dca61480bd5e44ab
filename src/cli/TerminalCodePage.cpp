#include "TerminalCodePage.h"

#include "CliOutput.h"

#include <algorithm>
#include <cstring>

CTerminalCodePage::CTerminalCodePage(const platform::CodePage& page)
{
    for (unsigned byte = 0; byte < m_forms.size(); ++byte) {
        const std::string shown = TerminalText(page.ToUtf8(std::string(1, static_cast<char>(byte))));
        Form& form = m_forms[byte];
        form.size = static_cast<unsigned char>(std::min(shown.size(), form.bytes.size()));
        std::copy_n(shown.begin(), form.size, form.bytes.begin());
    }
}

char* CTerminalCodePage::Write(char* out, std::string_view system) const
{
    // Every form is copied whole, without a branch, and the end moves on by
    // its size: a byte's form never takes more than the room it is given.
    for (const char c : system) {
        const Form& form = m_forms[static_cast<unsigned char>(c)];
        std::memcpy(out, form.bytes.data(), form.bytes.size());
        out += form.size;
    }
    return out;
}

void CTerminalCodePage::Append(std::string& out, std::string_view system) const
{
    const std::size_t start = out.size();
    out.resize(start + system.size() * kMostPerByte);
    const char* end = Write(out.data() + start, system);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

void CTerminalCodePage::AppendCells(std::string& out, std::span<const std::string_view> cells) const
{
    // One growth of out for the whole row.
    std::size_t most = 0;
    for (const std::string_view cell : cells)
        most += 1 + cell.size() * kMostPerByte;
    const std::size_t start = out.size();
    out.resize(start + most);
    char* end = out.data() + start;
    for (const std::string_view cell : cells) {
        *end++ = '\t';
        end = Write(end, cell);
    }
    out.resize(static_cast<std::size_t>(end - out.data()));
}
