#include "CliOptions.h"

#include "ops/ParallelFor.h"

#include <array>
#include <charconv>
#include <getopt.h>
#include <string_view>

namespace {

enum Option : unsigned {
    kJson = 1u << 0,
    kRecurse = 1u << 1,
    kPattern = 1u << 2,
    kDryRun = 1u << 3,
    kFields = 1u << 4,
    kColumns = 1u << 5,
    kPageSize = 1u << 6,
    kPdf = 1u << 7,
    kHelp = 1u << 8,
    kJobs = 1u << 9,
    kFollowLinks = 1u << 10,
};

// Short or long option values returned by getopt_long; letters for the short ones.
enum LongId : int {
    kIdHelp = 'h',
    kIdRecurse = 'r',
    kIdJobs = 'j',
    kIdVersion = 'V',
    kIdJson = 256,
    kIdPattern,
    kIdDryRun,
    kIdArtist,
    kIdTitle,
    kIdAlbum,
    kIdYear,
    kIdGenre,
    kIdComment,
    kIdTrack,
    kIdColumns,
    kIdPageSize,
    kIdPdf,
    kIdFollowLinks
};

const option kLongOptions[] = {
    {"help", no_argument, nullptr, kIdHelp},
    {"version", no_argument, nullptr, kIdVersion},
    {"json", no_argument, nullptr, kIdJson},
    {"recursive", no_argument, nullptr, kIdRecurse},
    {"jobs", required_argument, nullptr, kIdJobs},
    {"pattern", required_argument, nullptr, kIdPattern},
    {"dry-run", no_argument, nullptr, kIdDryRun},
    {"artist", required_argument, nullptr, kIdArtist},
    {"title", required_argument, nullptr, kIdTitle},
    {"album", required_argument, nullptr, kIdAlbum},
    {"year", required_argument, nullptr, kIdYear},
    {"genre", required_argument, nullptr, kIdGenre},
    {"comment", required_argument, nullptr, kIdComment},
    {"track", required_argument, nullptr, kIdTrack},
    {"columns", required_argument, nullptr, kIdColumns},
    {"page-size", required_argument, nullptr, kIdPageSize},
    {"pdf", required_argument, nullptr, kIdPdf},
    {"follow-links", no_argument, nullptr, kIdFollowLinks},
    {nullptr, 0, nullptr, 0},
};

struct CommandRule {
    CliCommand command;
    const char* name;
    unsigned options; // the options the command accepts (besides --help)
    int minOperands;
    int maxOperands; // -1: no limit
};

constexpr std::array<CommandRule, 9> kCommands{{
    {CliCommand::Show, "show", kJson, 1, -1},
    {CliCommand::List, "list", kJson | kRecurse | kPattern | kJobs, 1, 1},
    {CliCommand::Set, "set", kJson | kFields | kDryRun, 1, -1},
    {CliCommand::MultiTag, "multitag", kJson | kRecurse | kFields | kJobs | kDryRun | kFollowLinks, 1, 1},
    {CliCommand::Strip, "strip", kJson | kDryRun, 1, -1},
    {CliCommand::Rename, "rename", kJson | kPattern | kDryRun, 1, -1},
    {CliCommand::RenameAll, "rename-all", kJson | kRecurse | kPattern | kDryRun | kFollowLinks, 1, 1},
    {CliCommand::Genres, "genres", 0, 0, 0},
    {CliCommand::Print, "print", kRecurse | kColumns | kPageSize | kPdf, 1, 1},
}};

const CommandRule* FindCommand(std::string_view name)
{
    for (const CommandRule& rule : kCommands)
        if (name == rule.name) return &rule;
    return nullptr;
}

// Which option group an option id belongs to, for the per-command check.
unsigned GroupOf(int id)
{
    switch (id) {
    case kIdJson:
        return kJson;
    case kIdRecurse:
        return kRecurse;
    case kIdJobs:
        return kJobs;
    case kIdPattern:
        return kPattern;
    case kIdDryRun:
        return kDryRun;
    case kIdColumns:
        return kColumns;
    case kIdPageSize:
        return kPageSize;
    case kIdPdf:
        return kPdf;
    case kIdFollowLinks:
        return kFollowLinks;
    case kIdHelp:
    case kIdVersion:
        return kHelp;
    default:
        return kFields;
    }
}

void Store(CliOptions& options, int id, const char* value)
{
    switch (id) {
    case kIdHelp:
        options.help = true;
        break;
    case kIdVersion:
        options.version = true;
        break;
    case kIdJson:
        options.json = true;
        break;
    case kIdRecurse:
        options.recurse = true;
        break;
    case kIdDryRun:
        options.dryRun = true;
        break;
    case kIdFollowLinks:
        options.followLinks = true;
        break;
    case kIdPattern:
        options.pattern = value;
        break;
    case kIdJobs:
        options.jobs = value;
        break;
    case kIdArtist:
        options.artist = value;
        break;
    case kIdTitle:
        options.title = value;
        break;
    case kIdAlbum:
        options.album = value;
        break;
    case kIdYear:
        options.year = value;
        break;
    case kIdGenre:
        options.genre = value;
        break;
    case kIdComment:
        options.comment = value;
        break;
    case kIdTrack:
        options.track = value;
        break;
    case kIdColumns:
        options.columns = value;
        break;
    case kIdPageSize:
        options.pageSize = value;
        break;
    case kIdPdf:
        options.pdf = value;
        break;
    default:
        break;
    }
}

// After getopt_long returned '?': optopt holds the short option letter, the
// id of a long option that lacks its argument, or 0 for an unknown long one.
std::string UnknownOptionMessage(const std::string& where)
{
    if (optopt == 0) return "unrecognized option '" + where + "'";
    if (optopt < 256) return "invalid option -- '" + std::string(1, static_cast<char>(optopt)) + "'";
    return "option '" + where + "' requires an argument";
}

std::string OptionText(const char* arg)
{
    return arg ? std::string(arg) : std::string("?");
}

// Runs getopt_long over the command's own arguments (args[0] is the command name).
std::string ParseOptions(int count, char* args[], const CommandRule* rule, CliOptions& options)
{
    opterr = 0; // our own messages, with the command named
    optind = 0; // full re-initialisation, as glibc documents
    for (;;) {
        const int id = getopt_long(count, args, "hrVj:", kLongOptions, nullptr);
        if (id == -1) break;
        const std::string where = OptionText(args[optind - 1]);
        if (id == '?') return UnknownOptionMessage(where);
        const unsigned group = GroupOf(id);
        const unsigned allowed = (rule ? rule->options : 0u) | kHelp;
        if ((group & allowed) == 0)
            return "option '" + where + "' is not valid" +
                   (rule ? std::string(" for '") + rule->name + "'" : std::string());
        Store(options, id, optarg);
    }
    for (int i = optind; i < count; ++i)
        options.operands.emplace_back(args[i]);
    return {};
}

std::string CheckOperands(const CommandRule& rule, const CliOptions& options)
{
    const int n = static_cast<int>(options.operands.size());
    if (n < rule.minOperands) return std::string("missing operand for '") + rule.name + "'";
    if (rule.maxOperands >= 0 && n > rule.maxOperands)
        return std::string("extra operand '") + options.operands[static_cast<std::size_t>(rule.maxOperands)] + "'";
    if (rule.command == CliCommand::Set && !options.HasFieldOption())
        return "'set' needs at least one of --artist, --title, --album, --year, --genre, --comment, --track";
    if (rule.command == CliCommand::Print && !options.pdf) return "'print' needs --pdf OUT";
    if (options.track && !TrackNumber(*options.track))
        return "invalid track number '" + *options.track + "' for --track (0 to 255; 0 removes the track)";
    if (options.jobs && !JobCount(*options.jobs))
        return "invalid number of jobs '" + *options.jobs + "' (1 to " + std::to_string(kMaxJobs) + ")";
    return {};
}

} // namespace

std::optional<unsigned> JobCount(const std::string& text)
{
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs) return std::nullopt;
    return jobs;
}

std::optional<unsigned char> TrackNumber(const std::string& text)
{
    unsigned track = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), track);
    if (error != std::errc() || end != text.data() + text.size() || track > 255) return std::nullopt;
    return static_cast<unsigned char>(track);
}

unsigned CliOptions::Jobs() const
{
    const std::optional<unsigned> chosen = jobs ? JobCount(*jobs) : std::nullopt;
    return chosen ? *chosen : DefaultJobs();
}

const char* CommandName(CliCommand command)
{
    for (const CommandRule& rule : kCommands)
        if (rule.command == command) return rule.name;
    return "";
}

ParsedCommandLine ParseCommandLine(int argc, char* argv[])
{
    ParsedCommandLine parsed;
    if (argc < 2) {
        parsed.error = "missing command";
        return parsed;
    }
    const CommandRule* rule = argv[1][0] == '-' ? nullptr : FindCommand(argv[1]);
    if (argv[1][0] != '-' && !rule) {
        parsed.error = std::string("unknown command '") + argv[1] + "'";
        return parsed;
    }
    // Without a command, argv[1] is an option: parse from argv[0] so getopt sees it.
    const int first = rule ? 1 : 0;
    parsed.error = ParseOptions(argc - first, argv + first, rule, parsed.options);
    if (!parsed.error.empty() || parsed.options.help || parsed.options.version) return parsed;
    if (!rule) {
        parsed.error = "missing command";
        return parsed;
    }
    parsed.options.command = rule->command;
    parsed.error = CheckOperands(*rule, parsed.options);
    return parsed;
}
