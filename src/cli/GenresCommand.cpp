// genres: the genre table, number and name.
#include "CliOutput.h"
#include "Commands.h"
#include "platform/Machine.h"
#include "tag/Id3v1Tag.h"

int RunGenres(const CliOptions&)
{
    const CId3v1Tag tag;
    std::string text;
    for (int number = 0; number < tag.GetGenreCount(); ++number)
        text += std::to_string(number) + "\t" + platform::ToUtf8(tag.GetGenreName(number)) + "\n";
    WriteOut(text);
    return 0;
}
