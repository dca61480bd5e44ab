// genres: the genre table, number and name.
#include "CliOutput.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "platform/Machine.h"
#include "tag/GenreTable.h"

namespace {

std::string GenresJson()
{
    CJsonWriter json;
    json.BeginObject();
    json.Key("genres");
    json.BeginArray();
    for (std::size_t number = 0; number < kGenreNames.size(); ++number) {
        json.BeginObject();
        json.Member("number", std::uint64_t{number});
        json.Member("name", platform::ToUtf8(kGenreNames[number]));
        json.EndObject();
    }
    json.EndArray();
    json.Member("count", static_cast<int>(kGenreNames.size()));
    json.EndObject();
    return json.Text() + "\n";
}

} // namespace

int RunGenres(const CliOptions& options)
{
    if (options.json) {
        WriteOut(GenresJson());
        return 0;
    }
    std::string text;
    for (std::size_t number = 0; number < kGenreNames.size(); ++number)
        text += std::to_string(number) + "\t" + platform::ToUtf8(kGenreNames[number]) + "\n";
    WriteOut(text);
    return 0;
}
