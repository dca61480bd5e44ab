#include "CliOptions.h"

#include "CliCommandTable.h"
#include "NearestName.h"
#include "ops/ParallelFor.h"

#include <algorithm>
#include <charconv>
#include <getopt.h>
#include <vector>

namespace {

using namespace cli_option;

// Short or long option values returned by getopt_long; letters for the short ones.
enum LongId : int {
    kIdHelp = 'h',
    kIdRecurse = 'r',
    kIdJobs = 'j',
    kIdVersion = 'V',
    kIdJson = 256,
    kIdPattern,
    kIdDryRun,
    kIdTrack,
    kIdColumns,
    kIdPageSize,
    kIdPdf,
    kIdFollowLinks,
    kIdHeader,
    kIdStrict,
    kIdFormat,
    kIdPrinter,
    kIdFirstField, // one id per field, in Field order
};

// An option besides the field options: where getopt_long's result goes.
struct OptionRule {
    const char* name;
    int id;
    unsigned group;
    bool CliOptions::*flag;                       // set by an option without argument
    std::optional<std::string> CliOptions::*text; // takes the argument of the others
};

constexpr OptionRule kOptionRules[] = {
    {"help", kIdHelp, kHelp, &CliOptions::help, nullptr},
    {"version", kIdVersion, kHelp, &CliOptions::version, nullptr},
    {"json", kIdJson, kJson, &CliOptions::json, nullptr},
    {"recursive", kIdRecurse, kRecurse, &CliOptions::recurse, nullptr},
    {"jobs", kIdJobs, kJobs, nullptr, &CliOptions::jobs},
    {"pattern", kIdPattern, kPattern, nullptr, &CliOptions::pattern},
    {"dry-run", kIdDryRun, kDryRun, &CliOptions::dryRun, nullptr},
    {"track", kIdTrack, kFieldOptions, nullptr, &CliOptions::track},
    {"columns", kIdColumns, kColumns, nullptr, &CliOptions::columns},
    {"page-size", kIdPageSize, kPageSize, nullptr, &CliOptions::pageSize},
    {"pdf", kIdPdf, kPdf, nullptr, &CliOptions::pdf},
    {"follow-links", kIdFollowLinks, kFollowLinks, &CliOptions::followLinks, nullptr},
    {"header", kIdHeader, kHeader, &CliOptions::header, nullptr},
    {"strict", kIdStrict, kStrict, &CliOptions::strict, nullptr},
    {"format", kIdFormat, kFormat, nullptr, &CliOptions::format},
    {"printer", kIdPrinter, kPrinter, nullptr, &CliOptions::printer},
};

// getopt_long's table: the rules above, then a text option per field (the
// field names are string literals, so each name's data ends in a NUL).
std::vector<option> LongOptions()
{
    std::vector<option> options;
    for (const OptionRule& rule : kOptionRules) {
        const int argument = rule.flag ? no_argument : rule.id == kIdPrinter ? optional_argument : required_argument;
        options.push_back({rule.name, argument, nullptr, rule.id});
    }
    for (const FieldLayout& field : kFieldLayout)
        options.push_back(
            {field.name.data(), required_argument, nullptr, kIdFirstField + static_cast<int>(FieldIndex(field.field))});
    options.push_back({nullptr, 0, nullptr, 0});
    return options;
}

const OptionRule* FindOptionRule(int id)
{
    for (const OptionRule& rule : kOptionRules)
        if (rule.id == id) return &rule;
    return nullptr;
}

// The field of a field option's id, or nullopt.
std::optional<Field> FieldOfId(int id)
{
    const int index = id - kIdFirstField;
    if (index < 0 || index >= static_cast<int>(kFieldCount)) return std::nullopt;
    return kFields[static_cast<std::size_t>(index)];
}

unsigned GroupOf(int id)
{
    const OptionRule* rule = FindOptionRule(id);
    return rule ? rule->group : kFieldOptions;
}

void Store(CliOptions& options, int id, const char* value)
{
    if (!value && id == kIdPrinter) value = ""; // the default printer
    if (const std::optional<Field> field = FieldOfId(id)) {
        At(options.fieldTexts, *field) = value;
    } else if (const OptionRule* rule = FindOptionRule(id)) {
        if (rule->flag)
            options.*rule->flag = true;
        else
            options.*rule->text = value;
    }
}

const std::vector<option>& LongOptionTable()
{
    static const std::vector<option> longOptions = LongOptions();
    return longOptions;
}

// "--name" of "--name=value", or the argument itself.
std::string OptionWord(const std::string& arg)
{
    return arg.substr(0, arg.find('='));
}

// The long options whose names start with the typed one's.
std::vector<std::string_view> LongOptionsStartingWith(std::string_view typed)
{
    std::vector<std::string_view> found;
    for (const option& each : LongOptionTable())
        if (each.name && std::string_view(each.name).starts_with(typed)) found.emplace_back(each.name);
    return found;
}

std::string UnrecognizedLongOption(const std::string& word)
{
    const std::string_view typed = std::string_view(word).substr(2);
    const std::vector<std::string_view> prefixed = LongOptionsStartingWith(typed);
    if (prefixed.size() > 1) {
        std::string message = "option '" + word + "' is ambiguous; possibilities:";
        for (const std::string_view name : prefixed)
            message += " '--" + std::string(name) + "'";
        return message;
    }
    std::vector<std::string_view> names;
    for (const option& each : LongOptionTable())
        if (each.name) names.emplace_back(each.name);
    std::string message = "unrecognized option '" + word + "'";
    if (const auto nearest = NearestName(typed, names)) message += "; did you mean '--" + *nearest + "'?";
    return message;
}

// After getopt_long returned '?' or ':' (missing argument): optopt holds the
// short option letter, the value of a long option given an argument it does
// not take or lacking one, or 0 for an unknown long one.
std::string BadOptionMessage(int id, const std::string& arg)
{
    const bool isLong = arg.starts_with("--");
    const std::string word = isLong ? OptionWord(arg) : std::string{'-', static_cast<char>(optopt)};
    if (id == ':') return "option '" + word + "' requires an argument";
    if (isLong && optopt == 0) return UnrecognizedLongOption(word);
    if (isLong) return "option '" + word + "' doesn't allow an argument";
    return "invalid option -- '" + std::string(1, static_cast<char>(optopt)) + "'";
}

// The option as its canonical name: "--jobs" or "-j", whatever the spelling typed.
std::string OptionName(int id, int longIndex)
{
    if (longIndex >= 0) return std::string("--") + LongOptionTable()[static_cast<std::size_t>(longIndex)].name;
    return std::string{'-', static_cast<char>(id)};
}

std::string OptionText(const char* arg)
{
    return arg ? std::string(arg) : std::string("?");
}

// "--printer NAME FOLDER": getopt leaves NAME an operand, since the name is
// optional; it is the printer's when the command has an operand to spare.
void TakePrinterName(const char* bareOptionNext, const CliCommand* rule, CliOptions& options)
{
    if (!bareOptionNext || !rule || rule->maxOperands < 0) return;
    auto& operands = options.operands;
    if (static_cast<int>(operands.size()) <= rule->maxOperands) return;
    const auto word = std::find(operands.begin(), operands.end(), std::string(bareOptionNext));
    if (word == operands.end()) return;
    options.printer = *word;
    operands.erase(word);
}

// Runs getopt_long over the command's own arguments (args[0] is the command name).
std::string ParseOptions(int count, char* args[], const CliCommand* rule, CliOptions& options)
{
    opterr = 0; // our own messages, with the command named
    optind = 0; // full re-initialisation, as glibc documents
    const char* bareOptionNext = nullptr; // the word after a bare --printer
    for (;;) {
        int longIndex = -1;
        const int id = getopt_long(count, args, ":hrVj:", LongOptionTable().data(), &longIndex);
        if (id == -1) break;
        if (id == '?' || id == ':') return BadOptionMessage(id, OptionText(args[optind - 1]));
        const unsigned group = GroupOf(id);
        const unsigned allowed = (rule ? rule->options : 0u) | kHelp;
        if ((group & allowed) == 0)
            return std::string("option '")
                .append(OptionName(id, longIndex))
                .append("' is not valid")
                .append(rule ? std::string(" for '") + rule->name + "'" : std::string());
        Store(options, id, optarg);
        if (id == kIdPrinter && !optarg && optind < count) bareOptionNext = args[optind];
    }
    for (int i = optind; i < count; ++i)
        options.operands.emplace_back(args[i]);
    TakePrinterName(bareOptionNext, rule, options);
    return {};
}

std::string UnknownCommandMessage(const std::string& typed)
{
    std::vector<std::string_view> names;
    for (const CliCommand& command : CliCommands())
        names.emplace_back(command.name);
    std::string message = "unknown command '" + typed + "'";
    if (const auto nearest = NearestName(typed, names)) message += "; did you mean '" + *nearest + "'?";
    return message;
}

std::string CheckOperands(const CliCommand& rule, const CliOptions& options)
{
    const int n = static_cast<int>(options.operands.size());
    if (n < rule.minOperands) return std::string("missing operand for '") + rule.name + "'";
    if (rule.maxOperands >= 0 && n > rule.maxOperands)
        return std::string("extra operand '") + options.operands[static_cast<std::size_t>(rule.maxOperands)] + "'";
    if (rule.missingOption) {
        if (std::string message = rule.missingOption(options); !message.empty()) return message;
    }
    if (options.track && !TrackNumber(*options.track))
        return "invalid track number '" + *options.track + "' for --track (0 to 255; 0 removes the track)";
    if (options.jobs && !JobCount(*options.jobs))
        return "invalid number of jobs '" + *options.jobs + "' (1 to " + std::to_string(kMaxJobs) + ")";
    if (!OutputFormatOf(options)) return "invalid format '" + *options.format + "' for --format (csv or tsv)";
    if (options.json && options.format) return "--format and --json cannot be used together";
    if (options.json && options.header) return "--header and --json cannot be used together";
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

std::optional<OutputFormat> OutputFormatOf(const CliOptions& options)
{
    if (options.json) return OutputFormat::Json;
    if (!options.format) return OutputFormat::Text;
    if (*options.format == "csv") return OutputFormat::Csv;
    if (*options.format == "tsv") return OutputFormat::Tsv;
    return std::nullopt;
}

unsigned CliOptions::Jobs() const
{
    const std::optional<unsigned> chosen = jobs ? JobCount(*jobs) : std::nullopt;
    return chosen ? *chosen : DefaultJobs();
}

bool CliOptions::HasFieldOption() const
{
    return track ||
           std::any_of(fieldTexts.begin(), fieldTexts.end(), [](const auto& text) { return text.has_value(); });
}

ParsedCommandLine ParseCommandLine(int argc, char* argv[])
{
    ParsedCommandLine parsed;
    if (argc < 2) {
        parsed.error = "missing command";
        return parsed;
    }
    const CliCommand* rule = argv[1][0] == '-' ? nullptr : FindCliCommand(argv[1]);
    if (argv[1][0] != '-' && !rule) {
        parsed.error = UnknownCommandMessage(argv[1]);
        return parsed;
    }
    parsed.options.command = rule; // also for `COMMAND --help`
    // Without a command, argv[1] is an option: parse from argv[0] so getopt sees it.
    const int first = rule ? 1 : 0;
    parsed.error = ParseOptions(argc - first, argv + first, rule, parsed.options);
    if (!parsed.error.empty() || parsed.options.help || parsed.options.version) return parsed;
    if (!rule) {
        parsed.error = "missing command";
        return parsed;
    }
    parsed.error = CheckOperands(*rule, parsed.options);
    return parsed;
}
