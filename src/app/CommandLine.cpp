#include "CommandLine.h"

#include <string_view>

std::optional<int> AnswerCommandLine(int argc, const char* const argv[], std::ostream& out)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out << "Usage: sonadex [--help | --version]\n"
                   "The window of Sonadex Pro: edit, rename and print MP3 collections by their\n"
                   "ID3v1 tags. Settings: $SONADEX_HIVE, else ~/.config/sonadex-pro/hklm.reg.\n"
                   "The command line without a window: sonadex-cli --help.\n";
            return 0;
        }
        if (arg == "--version" || arg == "-V") {
            out << "sonadex " SONADEX_VERSION "\n";
            return 0;
        }
    }
    return std::nullopt;
}
