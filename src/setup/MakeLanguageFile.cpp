// sonadex-mklang SOURCE.txt OUT.qzd: builds a language file from its readable source.
#include "LanguageSource.h"

#include "platform/HostFile.h"
#include "platform/Machine.h"
#include "table/TableFile.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

namespace {

constexpr int kCodePage = 1252;

int Fail(const std::string& what)
{
    std::cerr << "sonadex-mklang: " << what << '\n';
    return 1;
}

// The table store works on system paths, so the output folder becomes drive
// C: of a machine of this tool's own.
std::string InstallOutputDrive(const fs::path& output)
{
    const fs::path folder = fs::absolute(output).parent_path();
    platform::InstallMachine(platform::Machine{platform::CodePage(kCodePage),
                                               platform::DriveTable({platform::Drive{'C', folder.string(), ""}})});
    return "C:\\" + output.filename().string(); // a name's own bytes
}

// A column width as the table file keeps it: three digits.
std::string WidthText(int width)
{
    char text[4];
    std::snprintf(text, sizeof text, "%03d", width);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return Fail("usage: sonadex-mklang SOURCE.txt OUT.qzd");
    const std::optional<std::string> text = platform::ReadHostFile(argv[1]);
    if (!text) return Fail(std::string("cannot read ") + argv[1]);

    std::string error;
    const std::optional<setup::CLanguageSource> source = setup::CLanguageSource::Parse(*text, error);
    if (!source) return Fail(std::string(argv[1]) + ": " + error);
    for (const int number : source->Missing())
        error += " " + std::to_string(number);
    if (!error.empty()) return Fail(std::string(argv[1]) + ": texts missing:" + error);
    std::optional<std::vector<std::string>> rows = source->Rows(platform::CodePage(kCodePage), error);
    if (!rows) return Fail(std::string(argv[1]) + ": " + error);

    using Source = setup::CLanguageSource;
    CTableFile table;
    table.Create(InstallOutputDrive(argv[2]), {"ID", "Text"},
                 {WidthText(Source::kIdWidth), WidthText(Source::kTextWidth)}, std::move(*rows));
    if (!table.Close()) return Fail(std::string("cannot write ") + argv[2]);
    return 0;
}
