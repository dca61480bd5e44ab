// sonadex-setup: puts the registry keys, the language folder setting and the language files in
// place before the program's first start. Run it again at any time: it only
// adds what is missing (language files copied before gain the texts added
// since) and never changes a value or a text that is there.
#include "DemoCollection.h"
#include "LanguageCopy.h"
#include "LanguageUpdate.h"
#include "SettingsDefaults.h"
#include "SetupEnvironment.h"

#include "platform/Machine.h"

#include <iostream>
#include <optional>
#include <string_view>

namespace {

constexpr char kUsage[] = "usage: sonadex-setup [--lang-source DIR] [--demo FOLDER]\n"
                          "  Copies the language files, creates the settings the program needs and\n"
                          "  adds the ones that are missing; existing files and values are kept,\n"
                          "  earlier copies of the language files gain the texts they lack.\n"
                          "  --lang-source DIR  folder of the built .qzd files (default: the installed ones)\n"
                          "  --demo FOLDER      also write a demo collection of MP3 files into FOLDER\n"
                          "                     and make it the folder the program opens first\n";

struct Options {
    std::string langSource;
    std::string demoFolder;
    bool help = false;
};

std::optional<Options> ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            options.help = true;
        else if ((arg == "--lang-source" || arg == "--demo") && i + 1 < argc)
            (arg == "--demo" ? options.demoFolder : options.langSource) = argv[++i];
        else
            return std::nullopt;
    }
    return options;
}

int Fail(const std::string& what)
{
    std::cerr << "sonadex-setup: " << what << '\n';
    return 1;
}

void Report(const std::string& what, const std::vector<std::string>& items)
{
    for (const std::string& item : items)
        std::cout << what << ' ' << item << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) return Fail(std::string("unknown or incomplete option\n") + kUsage);
    if (options->help) {
        std::cout << kUsage;
        return 0;
    }

    // A settings file that cannot be used stops the run before anything is copied.
    if (const std::optional<std::string> refusal = platform::InstallMachineFromHive())
        return Fail(platform::ToUtf8(*refusal));
    const std::string source =
        options->langSource.empty() ? setup::DefaultLanguageSource().value_or("") : options->langSource;
    if (source.empty()) return Fail("no built language files found; give --lang-source DIR");
    std::string error;
    const auto copied = setup::CopyMissingLanguageFiles(source, setup::LanguageTarget(), error);
    if (!copied) return Fail(error);
    Report("copied", *copied);
    // Files copied by an earlier set-up gain the texts added since.
    bool updated = true;
    for (const setup::LanguageUpdate& update : setup::AddMissingTexts(source, setup::LanguageTarget())) {
        if (!update.problem.empty()) {
            std::cerr << "sonadex-setup: cannot add the new texts to " << update.name << ": " << update.problem << '\n';
            updated = false;
        } else {
            std::cout << "updated " << update.name << " (" << update.added.size() << " texts added)\n";
        }
    }

    if (!options->demoFolder.empty()) {
        const setup::DemoResult demo = setup::WriteDemoCollection(options->demoFolder);
        std::cout << "demo: " << demo.written << " files written, " << demo.kept << " kept\n";
        if (demo.failed > 0) return Fail(std::to_string(demo.failed) + " demo files could not be written");
    }

    const std::string lastFolder = options->demoFolder.empty() ? setup::MusicFolder() : options->demoFolder;
    std::string problem;
    const auto added = setup::AddUserDefaults(setup::LanguageTarget(), lastFolder, problem);
    if (!added) return Fail(problem);
    Report("added", *added);
    return updated ? 0 : 1;
}
