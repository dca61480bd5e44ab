// show: the tag of each file as the getters read it.
#include "CliOutput.h"
#include "CliPaths.h"
#include "Commands.h"
#include "JsonWriter.h"
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
};

ShownTag ReadShownTag(CId3v1Tag& tag, const std::string& systemPath)
{
    ShownTag shown;
    shown.path = PrintablePath(systemPath);
    if (!tag.Open(systemPath)) return shown;
    shown.size = tag.GetFileLength();
    shown.hasTag = tag.HasTag();
    for (Field field : kFields)
        At(shown.fields, field) = platform::ToUtf8(tag.Get(field));
    shown.track = tag.GetTrack();
    shown.hasId3v2 = tag.HasId3v2();
    return shown;
}

void AppendJson(CJsonWriter& json, const ShownTag& shown)
{
    json.BeginObject();
    json.PathMember("path", shown.path);
    json.MemberOrNull("size", shown.size);
    json.Member("has_tag", shown.hasTag);
    json.TagMembers(shown.fields, shown.track, shown.hasId3v2);
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

std::string FormatText(const ShownTag& shown)
{
    std::string text = shown.path + "\n";
    text += "  size:    " + std::to_string(*shown.size) + " bytes";
    if (*shown.size > 0) text += " (" + platform::ToUtf8(FormatFileSize(*shown.size)) + ")";
    text += "\n";
    text += std::string("  tag:     ") + (shown.hasTag ? "yes" : "no") + "\n";
    for (Field field : kFields)
        text += Label(FieldName(field)) + At(shown.fields, field) + "\n";
    if (shown.track != 0) text += "  track:   " + std::to_string(shown.track) + "\n";
    return text;
}

} // namespace

int RunShow(const CliOptions& options)
{
    CJsonWriter json;
    json.BeginArray();
    CId3v1Tag tag;
    int status = 0;
    bool first = true;
    for (const std::string& argument : options.operands) {
        ShownTag shown;
        const auto systemPath = SystemPathOfArgument(argument);
        if (!systemPath) {
            shown.path = argument;
            WriteError(argument + ": not on any drive");
        } else {
            shown = ReadShownTag(tag, *systemPath);
            if (!shown.size) WriteError(shown.path + ": cannot open: " + ErrorText(tag.GetLastError()));
        }
        if (!shown.size) status = 1;
        if (options.json) {
            AppendJson(json, shown);
        } else if (shown.size) {
            if (!first) WriteOut("\n");
            WriteOut(FormatText(shown));
            first = false;
        }
    }
    json.EndArray();
    if (options.json) WriteOut(json.Text() + "\n");
    return status;
}
