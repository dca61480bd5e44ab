#include "CliOutput.h"

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

// The length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    if (byte >= 0xC2 && byte <= 0xDF) {
        length = 2;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        length = 3;
        if (byte == 0xE0) low = 0xA0;
        if (byte == 0xED) high = 0x9F;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        length = 4;
        if (byte == 0xF0) low = 0x90;
        if (byte == 0xF4) high = 0x8F;
    }
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return 0;
    }
    return length;
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
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x20 || byte == 0x7F) {
            AppendEscapedControl(out, byte);
            ++i;
            continue;
        }
        if (byte < 0x80) {
            out += utf8[i++];
            continue;
        }
        const std::size_t length = Utf8SequenceLength(utf8, i);
        if (length == 0) { // a stray byte: 0x80 to 0x9F are C1 controls on 8-bit terminals
            if (byte <= 0x9F)
                AppendHexEscape(out, byte);
            else
                out += utf8[i];
            ++i;
            continue;
        }
        const auto second = static_cast<unsigned char>(utf8[i + 1]);
        if (byte == 0xC2 && second <= 0x9F) { // U+0080 to U+009F
            AppendHexEscape(out, byte);
            AppendHexEscape(out, second);
        } else {
            out.append(utf8.substr(i, length));
        }
        i += length;
    }
    return out;
}
