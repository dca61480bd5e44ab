// Code-page text straight to terminal text: TerminalText of its UTF-8 form,
// without the UTF-8 in between. A listing prints seven such cells per file.
#pragma once

#include "platform/CodePage.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

class CTerminalCodePage {
public:
    explicit CTerminalCodePage(const platform::CodePage& page);

    // AppendTerminalText(out, page.ToUtf8(system)).
    void Append(std::string& out, std::string_view system) const;
    // Each cell after a tab, as Append writes it.
    void AppendCells(std::string& out, std::span<const std::string_view> cells) const;

private:
    // A byte's terminal form: its UTF-8 sequence, or the escape of a control
    // character ("\x1b", "\xc2\x85": up to 8 bytes).
    struct Form {
        std::array<char, 8> bytes{};
        unsigned char size = 0;
    };
    static constexpr std::size_t kMostPerByte = std::tuple_size_v<decltype(Form::bytes)>;

    // Writes the forms of system's bytes at out, which has room for
    // kMostPerByte bytes per byte; returns the end of what it wrote.
    char* Write(char* out, std::string_view system) const;

    // Each byte converts to one whole UTF-8 character, and TerminalText
    // takes text a character at a time, so a text's form is its bytes' forms
    // one after another.
    std::array<Form, 256> m_forms{};
};
