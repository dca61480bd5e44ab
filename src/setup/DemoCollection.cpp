#include "DemoCollection.h"

#include "platform/File.h"
#include "platform/Machine.h"
#include "tag/Id3v1Tag.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace setup {

namespace {

// One MPEG-1 Layer III frame, 128 kbit/s, 44.1 kHz, no CRC: a header and zero
// side information and data, which decoders play as silence.
constexpr std::array<unsigned char, 4> kFrameHeader = {0xFF, 0xFB, 0x90, 0x64};
constexpr std::size_t kFrameLength = 417;
constexpr int kFramesPerFile = 4;

struct Song {
    const char* artist; // UTF-8
    const char* title;
    const char* album;
    const char* year;
    const char* genre;
};

// Invented bands and songs, with the accented letters of Western European names.
constexpr std::array<Song, 12> kSongs = {{
    {"Die Fröhlichen Bäcker", "Brötchen am Morgen", "Frisch gebacken", "1994", "Rock"},
    {"Zwölf Öfen", "Wärme für alle", "Heizperiode", "2001", "Rock"},
    {"Château Brûlé", "Crème à la plage", "Été indien", "1987", "Pop"},
    {"Los Niños Perdidos", "Canción del año", "Mañana", "1999", "Latin"},
    {"Kölsche Fünf", "Straßenbahn nach Süden", "Linie Zwölf", "2005", "Pop"},
    {"Øresund Ørkester", "Brücke im Nebel", "Grenzgänger", "2010", "Jazz"},
    {"Mädchen für Alles", "Überstunden", "Büro", "1992", "Punk"},
    {"Señora Müller", "Café au lait", "Frühstück", "2003", "Pop"},
    {"Ångström Ånd", "Lichtjahre", "Weiße Zwerge", "1996", "Electronic"},
    {"Grüne Äpfel", "Schön sauer", "Obstgarten", "2008", "Rock"},
    {"Hôtel Désirée", "Zimmer zwölf", "Réception", "1985", "Pop"},
    {"Die Übermütigen", "Größer als wir", "Übermut", "2015", "Rock"},
}};

enum class Kind { Named, Tagged, Untagged };

struct DemoFile {
    std::string folder; // relative, '/' separated, UTF-8
    std::string name;   // UTF-8
    Kind kind;
    const Song* song;
};

// Per folder: how many files of each kind, so that every level shows all three icons.
struct FolderPlan {
    const char* folder;
    int named, tagged, untagged;
};
constexpr std::array<FolderPlan, 5> kPlan = {{
    {"", 6, 4, 2},
    {"Rock", 4, 2, 2},
    {"Rock/Live 1998", 3, 2, 1},
    {"Pop", 3, 2, 1},
    {"Pop/Singles", 2, 1, 1},
}};

std::string TwoDigits(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

std::vector<DemoFile> PlanFiles()
{
    std::vector<DemoFile> files;
    std::size_t song = 0;
    int untagged = 0;
    for (const FolderPlan& plan : kPlan) {
        for (int i = 0; i < plan.named; ++i, ++song) {
            const Song& s = kSongs[song % kSongs.size()];
            files.push_back({plan.folder, std::string(s.artist) + " - " + s.title + ".mp3", Kind::Named, &s});
        }
        for (int i = 1; i <= plan.tagged; ++i, ++song)
            files.push_back(
                {plan.folder, "Track " + TwoDigits(i) + ".mp3", Kind::Tagged, &kSongs[song % kSongs.size()]});
        for (int i = 1; i <= plan.untagged; ++i)
            files.push_back({plan.folder, "Aufnahme " + TwoDigits(++untagged) + ".mp3", Kind::Untagged, nullptr});
    }
    // One upper-case extension: listed by the file list, passed over by Rename all.
    files.back().name = "MITSCHNITT.MP3";
    return files;
}

std::string SilentAudio()
{
    std::string frame(kFrameLength, '\0');
    std::copy(kFrameHeader.begin(), kFrameHeader.end(), frame.begin());
    std::string audio;
    for (int i = 0; i < kFramesPerFile; ++i)
        audio += frame;
    return audio;
}

// "x": created only when no file of the name exists.
enum class Created { Yes, Existed, Failed };
Created CreateExclusive(const fs::path& path, const std::string& bytes)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wbx"), &std::fclose);
    if (!file) return errno == EEXIST ? Created::Existed : Created::Failed;
    return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() ? Created::Yes : Created::Failed;
}

bool WriteTag(const fs::path& path, const Song& song)
{
    const std::optional<std::string> systemPath = platform::SystemPath(path.string());
    CId3v1Tag tag;
    if (!systemPath || !tag.Open(*systemPath)) return false;
    tag.SetArtist(platform::FromUtf8(song.artist));
    tag.SetTitle(platform::FromUtf8(song.title));
    tag.SetAlbum(platform::FromUtf8(song.album));
    tag.SetYear(song.year);
    tag.SetGenre(song.genre);
    tag.SetComment("Sonadex Pro demo");
    try {
        tag.Save();
        return true;
    } catch (const platform::CFileException&) {
        return false;
    }
}

} // namespace

DemoResult WriteDemoCollection(const std::string& hostFolder)
{
    DemoResult result;
    const std::string audio = SilentAudio();
    for (const DemoFile& file : PlanFiles()) {
        const fs::path folder = fs::path(hostFolder) / file.folder;
        std::error_code ec;
        fs::create_directories(folder, ec);
        switch (CreateExclusive(folder / file.name, audio)) {
        case Created::Existed:
            ++result.kept;
            continue;
        case Created::Failed:
            ++result.failed;
            continue;
        case Created::Yes:
            break;
        }
        const bool ok = file.kind == Kind::Untagged || WriteTag(folder / file.name, *file.song);
        ++(ok ? result.written : result.failed);
    }
    return result;
}

} // namespace setup
