// show: the tag of each file as the getters read it.
#include "CliOutput.h"
#include "CliPaths.h"
#include "Commands.h"
#include "CliUsage.h"
#include "FileFailure.h"
#include "JsonWriter.h"
#include "RowOutput.h"
#include "ops/FormatFileSize.h"
#include "platform/Machine.h"
#include "tag/Id3v1Tag.h"

#include <algorithm>
#include <optional>

namespace {

struct ShownTag {
    std::string path;                  // host path (its bytes)
    std::optional<std::uint64_t> size; // empty: the file could not be opened
    bool hasTag = false;
    bool hasId3v2 = false;
    FieldArray<std::string> fields; // UTF-8, by Field
    // The ID3v1.1 track number; 0 for none.
    int track = 0;
    std::optional<std::uint64_t> genreNumber; // the genre byte; empty without a tag
    std::string reason;                       // why the file could not be read
};

ShownTag ReadShownTag(CId3v1Tag& tag, const std::string& systemPath)
{
    ShownTag shown;
    shown.path = PrintablePath(systemPath);
    if (!tag.Open(systemPath)) {
        shown.reason = OpenFailureText(systemPath, tag.GetLastError());
        return shown;
    }
    shown.size = tag.GetFileLength();
    shown.hasTag = tag.HasTag();
    for (Field field : kFields)
        At(shown.fields, field) = platform::ToUtf8(tag.Get(field));
    shown.track = tag.GetTrack();
    shown.hasId3v2 = tag.HasId3v2();
    if (shown.hasTag) shown.genreNumber = tag.GetGenreByte();
    return shown;
}

void AppendJson(CJsonWriter& json, const ShownTag& shown)
{
    json.BeginObject();
    json.PathMember("path", shown.path);
    json.MemberOrNull("size", shown.size);
    json.Member("has_tag", shown.hasTag);
    json.TagMembers(shown.fields, shown.track, shown.hasId3v2, shown.genreNumber);
    if (!shown.size) json.Member("reason", shown.reason);
    json.EndObject();
}

// "  name:" padded so that the values line up, as "  comment: " sets them.
std::string Label(std::string_view name)
{
    constexpr std::size_t kLabelWidth = 9;
    std::string label = std::string(name) + ":";
    label.resize(std::max(kLabelWidth, label.size() + 1), ' ');
    return "  " + label;
}

std::vector<std::string> DataHeading()
{
    std::vector<std::string> cells{"path", "size", "has_tag"};
    for (Field field : kFields)
        cells.emplace_back(FieldName(field));
    cells.insert(cells.end(), {"track", "genre_number", "has_id3v2", "reason"});
    return cells;
}

// CSV and TSV: the values of the JSON object, one column each.
std::vector<std::string> DataCells(const ShownTag& shown)
{
    std::vector<std::string> cells{shown.path, shown.size ? std::to_string(*shown.size) : std::string(),
                                   shown.hasTag ? "true" : "false"};
    cells.insert(cells.end(), shown.fields.begin(), shown.fields.end());
    cells.push_back(shown.track != 0 ? std::to_string(shown.track) : std::string());
    cells.push_back(shown.genreNumber ? std::to_string(*shown.genreNumber) : std::string());
    cells.emplace_back(shown.hasId3v2 ? "true" : "false");
    cells.push_back(shown.reason);
    return cells;
}

// Control bytes of names and tags are escaped: the text goes to a terminal.
std::string FormatText(const ShownTag& shown)
{
    std::string text = TerminalText(shown.path) + "\n";
    text += "  size:    " + std::to_string(*shown.size) + " bytes";
    if (*shown.size > 0) text += " (" + platform::ToUtf8(FormatFileSize(*shown.size)) + ")";
    text += "\n";
    text += std::string("  tag:     ") + (shown.hasTag ? "yes" : "no") + "\n";
    for (Field field : kFields)
        text += Label(FieldName(field)) + TerminalText(At(shown.fields, field)) + "\n";
    if (shown.track != 0) text += "  track:   " + std::to_string(shown.track) + "\n";
    return text;
}

ShownTag ShownTagOfArgument(CId3v1Tag& tag, const std::string& argument)
{
    const auto systemPath = SystemPathOfArgument(argument);
    if (!systemPath) {
        ShownTag shown;
        shown.path = argument;
        shown.reason = NotOnAnyDrive();
        WriteError(argument + ": " + shown.reason);
        return shown;
    }
    ShownTag shown = ReadShownTag(tag, *systemPath);
    if (!shown.size) WriteError(shown.path + ": " + shown.reason);
    return shown;
}

} // namespace

int RunShow(const CliOptions& options)
{
    const OutputFormat format = *OutputFormatOf(options);
    if (options.header && format == OutputFormat::Text)
        return UsageError("--header for 'show' needs --format csv or tsv");
    CJsonWriter json;
    json.BeginArray();
    std::string rows;
    if (options.header) AppendRow(rows, DataHeading(), format);
    CId3v1Tag tag;
    int status = 0;
    bool first = true;
    for (const std::string& argument : options.operands) {
        const ShownTag shown = ShownTagOfArgument(tag, argument);
        if (!shown.size) status = 1;
        if (format == OutputFormat::Json) {
            AppendJson(json, shown);
        } else if (format != OutputFormat::Text) {
            AppendRow(rows, DataCells(shown), format);
        } else if (shown.size) {
            if (!first) WriteOut("\n");
            WriteOut(FormatText(shown));
            first = false;
        }
    }
    json.EndArray();
    if (format == OutputFormat::Json) WriteOut(json.Text() + "\n");
    WriteOut(rows);
    return status;
}
