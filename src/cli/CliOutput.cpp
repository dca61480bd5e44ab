#include "CliOutput.h"

#include <cstdio>
#include <cstring>

void SetUpOutput()
{
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
}

void WriteOut(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void WriteError(std::string_view message)
{
    std::string line = std::string(kProgramName) + ": ";
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string ErrorText(int error)
{
    return error != 0 ? std::string(std::strerror(error)) : std::string("failed");
}
