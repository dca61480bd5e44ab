#include "CliOutput.h"

#include "platform/Utf8Decode.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// What the run has written: the terminal and the streams are the process's own.
struct OutputState {
    bool stdoutIsTerminal = false;
    bool wroteOut = false;
    bool statusDrawn = false;
    std::vector<std::string> errors;
};

OutputState& State()
{
    static OutputState state;
    return state;
}

void AppendHexEscape(std::string& out, unsigned char byte)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

void AppendEscapedControl(std::string& out, unsigned char byte)
{
    if (byte == '\t')
        out += "\\t";
    else if (byte == '\n')
        out += "\\n";
    else if (byte == '\r')
        out += "\\r";
    else
        AppendHexEscape(out, byte);
}

bool IsPrintableAscii(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F;
}

// The length of the character at utf8[i] when a terminal may show it as it
// stands; 0 for a control character.
std::size_t ShownAsIs(std::string_view utf8, std::size_t i)
{
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x20 || byte == 0x7F) return 0;
    if (byte < 0x80) return 1;
    const std::size_t length = platform::Utf8SequenceLength(utf8, i);
    // A stray byte from 0x80 to 0x9F is a C1 control on 8-bit terminals.
    if (length == 0) return byte > 0x9F ? 1 : 0;
    const bool c1 = byte == 0xC2 && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F; // U+0080 to U+009F
    return c1 ? 0 : length;
}

// Escapes the control character at utf8[i]; returns the bytes it took.
std::size_t AppendEscaped(std::string& out, std::string_view utf8, std::size_t i)
{
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
        AppendEscapedControl(out, byte);
        return 1;
    }
    AppendHexEscape(out, byte);
    if (platform::Utf8SequenceLength(utf8, i) == 0) return 1;
    AppendHexEscape(out, static_cast<unsigned char>(utf8[i + 1]));
    return 2;
}

} // namespace

void SetUpOutput()
{
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    State().stdoutIsTerminal = isatty(STDOUT_FILENO) == 1;
}

void WriteOut(std::string_view text)
{
    if (text.empty()) return;
    OutputState& state = State();
    ClearStatus();
    std::fwrite(text.data(), 1, text.size(), stdout);
    state.wroteOut = true;
    if (state.stdoutIsTerminal) std::fflush(stdout);
}

void WriteError(std::string_view message)
{
    ClearStatus();
    State().errors.emplace_back(message);
    std::string line = std::string(kProgramName) + ": ";
    line += TerminalText(message);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string ErrorText(int error)
{
    // A file another program holds (our exclusive open is an flock): the
    // C library's "Resource temporarily unavailable" says nothing of that.
    if (error == EWOULDBLOCK) return "the file is in use by another program";
    return error != 0 ? std::string(std::strerror(error)) : std::string("failed");
}

std::string Counted(std::size_t count, std::string_view singular, std::string_view plural)
{
    return std::to_string(count) + " " + std::string(count == 1 ? singular : plural);
}

bool WroteOut()
{
    return State().wroteOut;
}

const std::vector<std::string>& ErrorsWritten()
{
    return State().errors;
}

void ShowStatus(std::string_view text)
{
    std::string line = "\r";
    line += TerminalText(text);
    line += "\033[K";
    std::fwrite(line.data(), 1, line.size(), stderr);
    State().statusDrawn = true;
}

void ClearStatus()
{
    OutputState& state = State();
    if (!state.statusDrawn) return;
    std::fputs("\r\033[K", stderr);
    state.statusDrawn = false;
}

std::string TerminalText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    AppendTerminalText(out, utf8);
    return out;
}

void AppendTerminalText(std::string& out, std::string_view utf8)
{
    // Runs of characters that pass as they stand are copied whole.
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t end = i;
        while (end < utf8.size()) {
            // Printable ASCII, most of any name or tag, needs no closer look.
            if (IsPrintableAscii(utf8[end])) {
                ++end;
                continue;
            }
            const std::size_t length = ShownAsIs(utf8, end);
            if (length == 0) break;
            end += length;
        }
        out.append(utf8.substr(i, end - i));
        i = end < utf8.size() ? end + AppendEscaped(out, utf8, end) : end;
    }
}
