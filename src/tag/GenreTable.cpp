#include "GenreTable.h"

#include <algorithm>
#include <charconv>

// Numbered as the ID3v1 list with its common extension to 147; the index is the genre byte.
constexpr std::array<std::string_view, kGenreCount> kGenreNames = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R & B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Deathmetal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz & Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Soundclip",
    "Gospel",
    "Noise",
    "Alternative Rock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Dark Wave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop / Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychedelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock'n'Roll",
    "Hard Rock",
    "Folk",
    "Folk / Rock",
    "National Folk",
    "Swing",
    "Fast-Fusion",
    "Be Bop",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Balad",
    "Rythmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "A Capella",
    "Euro-House",
    "Dance Hall",
    "Goa",
    "Drum & Bass",
    "Club House",
    "Hardcore",
    "Terror",
    "Indie",
    "Brit Pop",
    "Afro-Punk", // the byte's old name is an offensive term: shown no more, still read (GenreNumber)
    "Polsk Punk",
    "Beat",
    "Christian Gangsta",
    "Heavy Metal",
    "Black Metal",
    "Crossover",
    "Contemporary Chorus",
    "Christian Rock",
    "Merengue",
    "Salsa",
    "Trash Metal",
    "Anime",
    "Japanese Pop",
    "Synth Pop",
};

namespace {

// Names that older tools showed for a number, still taken as input.
struct FormerName {
    std::string_view name;
    unsigned char number;
};
constexpr FormerName kFormerNames[] = {{"Negerpunk", 133}};

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(x) == lower(y);
           });
}

std::optional<unsigned char> NumberText(std::string_view text)
{
    unsigned number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || number > 255)
        return std::nullopt;
    return static_cast<unsigned char>(number);
}

} // namespace

std::optional<unsigned char> GenreNumber(std::string_view name)
{
    const std::string_view text = Trimmed(name);
    if (const auto number = NumberText(text)) return number;
    const auto found = std::find_if(kGenreNames.begin(), kGenreNames.end(),
                                    [text](std::string_view each) { return EqualIgnoringCase(each, text); });
    if (found != kGenreNames.end()) return static_cast<unsigned char>(found - kGenreNames.begin());
    for (const FormerName& former : kFormerNames)
        if (EqualIgnoringCase(former.name, text)) return former.number;
    return std::nullopt;
}

std::string GenreName(unsigned char number)
{
    return number < kGenreCount ? std::string(kGenreNames[number]) : std::string();
}
