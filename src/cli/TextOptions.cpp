#include "TextOptions.h"

#include "platform/CodePage.h"
#include "platform/Machine.h"
#include "platform/Utf8Decode.h"

#include <string_view>

namespace {

std::optional<std::string> Unholdable(std::string_view name, const std::optional<std::string>& utf8,
                                      const platform::CodePage& page)
{
    if (!utf8) return std::nullopt;
    const std::optional<char32_t> first = page.FirstUnholdable(*utf8);
    if (!first) return std::nullopt;
    const std::string prefix = std::string(name) + ": ";
    if (*first == platform::kInvalidUtf8Byte) return prefix + "the text is not valid UTF-8";
    return prefix + "'" + platform::EncodeUtf8(*first) + "' is not in code page " + std::to_string(page.Number());
}

} // namespace

std::optional<std::string> UnholdableTextOption(const CliOptions& options, const platform::CodePage& page)
{
    for (const FieldLayout& field : kFieldLayout)
        if (std::optional<std::string> message = Unholdable(field.name, options.FieldText(field.field), page))
            return message;
    return Unholdable("pattern", options.pattern, page);
}

std::vector<OverlongText> OverlongTextOptions(const CliOptions& options)
{
    std::vector<OverlongText> found;
    for (const FieldLayout& field : kFieldLayout) {
        const std::optional<std::string>& utf8 = options.FieldText(field.field);
        if (!utf8 || field.field == Field::Genre) continue;
        const std::string bytes = platform::FromUtf8(*utf8);
        if (bytes.size() <= field.width) continue;
        found.push_back({field.field, bytes.size(), field.width, platform::ToUtf8(bytes.substr(0, field.width))});
    }
    return found;
}

std::string DescribeOverlong(const OverlongText& overlong)
{
    return std::string(FieldName(overlong.field)) + ": the text is " + std::to_string(overlong.bytes) +
           " bytes long, the field holds " + std::to_string(overlong.width);
}
