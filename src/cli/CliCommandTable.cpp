#include "CliCommandTable.h"

#include "CliOptions.h"
#include "Commands.h"
#include "tag/Field.h"

#include <algorithm>
#include <array>

namespace {

using namespace cli_option;

std::string MissingFieldOption(const CliOptions& options)
{
    if (options.HasFieldOption()) return {};
    std::string names;
    for (const FieldLayout& field : kFieldLayout)
        names += "--" + std::string(field.name) + ", ";
    return "'set' needs at least one of " + names + "--track";
}

std::string MissingPdf(const CliOptions& options)
{
    return options.pdf ? std::string() : std::string("'print' needs --pdf OUT");
}

const std::array<CliCommand, 9> kCommands{{
    {"show", kJson, 1, -1, "show [--json] FILE...", "the tag of each file", RunShow},
    {"list", kJson | kRecurse | kPattern | kJobs, 1, 1, "list [--json] [-r] [-j N] [--pattern P] FOLDER",
     "the rows of the file list and the summary", RunList},
    {"set", kJson | kFieldOptions | kDryRun, 1, -1, "set [--dry-run] [FIELD OPTION]... FILE...",
     "set the chosen fields and save", RunSet, MissingFieldOption},
    {"multitag", kJson | kRecurse | kFieldOptions | kJobs | kDryRun | kFollowLinks, 1, 1,
     "multitag [-r] [-j N] [--dry-run] [--follow-links] [FIELD OPTION]... FOLDER",
     "set the chosen fields in every .mp3 file", RunMultiTag},
    {"strip", kJson | kDryRun, 1, -1, "strip [--dry-run] FILE...", "remove the tag", RunStrip},
    {"rename", kJson | kPattern | kDryRun, 1, -1, "rename [--pattern P] [--dry-run] FILE...",
     "rename files from their tags", RunRename},
    {"rename-all", kJson | kRecurse | kPattern | kDryRun | kFollowLinks, 1, 1,
     "rename-all [-r] [--pattern P] [--dry-run] [--follow-links] FOLDER", "rename every .mp3 file of a folder",
     RunRenameAll},
    {"genres", 0, 0, 0, "genres", "the genre numbers and names", RunGenres},
    {"print", kRecurse | kColumns | kPageSize | kPdf, 1, 1,
     "print [-r] [--columns LIST] [--page-size SIZE] --pdf OUT FOLDER", "print the listing into a PDF file", nullptr,
     MissingPdf},
}};

} // namespace

std::span<const CliCommand> CliCommands()
{
    return kCommands;
}

const CliCommand* FindCliCommand(std::string_view name)
{
    const auto found =
        std::find_if(kCommands.begin(), kCommands.end(), [name](const CliCommand& c) { return name == c.name; });
    return found == kCommands.end() ? nullptr : &*found;
}
