// genres: the genre table, number and name.
#include "CliOutput.h"
#include "Commands.h"
#include "platform/Machine.h"
#include "tag/GenreTable.h"

int RunGenres(const CliOptions&)
{
    std::string text;
    for (std::size_t number = 0; number < kGenreNames.size(); ++number)
        text += std::to_string(number) + "\t" + platform::ToUtf8(kGenreNames[number]) + "\n";
    WriteOut(text);
    return 0;
}
