// rel_tree: builds a tree of MP3 files whose every byte follows from a file
// number, and checks a tree after runs that were killed or raced, so that
// any lost, doubled, half-written or misnamed file is found.
//
//   rel_tree make ROOT COUNT
//   rel_tree check ROOT COUNT [--require ARTIST]... ARTIST...
//
// Each file holds its number in its first frame, so it is recognised under
// any name. check accepts for each file: the first bytes exactly as made;
// then nothing (a file made untagged) or exactly one record, which is the
// made one or the made one (or the empty one) with the artist set to one of
// ARTIST...; its folder as made; its name as made or the name "%1 - %2"
// gives for one of those records. With --require, the record must be the
// made one (or the empty one) with one of the required artists (every file
// was written by a run that finished); names may still come from any artist.
#include "naming/MakeFileName.h"
#include "tag/Id3v1Tag.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFilesPerFolder = 100;
constexpr std::size_t kFrameSize = 417; // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz
constexpr std::size_t kIdOffset = 36;
constexpr std::string_view kIdMarker = "SDXID";
constexpr std::size_t kArtistOffset = 33, kFieldWidth = 30;
constexpr int kMaxProblemsShown = 20;

struct MadeFile {
    std::string folder, name, audio;
    bool tagged = false;
    std::string title, artist;
    std::string record; // the made record; the empty one for an untagged file
};

std::string Padded(const std::string& text, std::size_t width, char pad)
{
    std::string field = text.substr(0, width);
    field.resize(width, pad);
    return field;
}

// value with leading zeros to digits digits, after prefix ("f" 7 5 -> "f00007").
std::string Number(int value, int digits, const char* prefix = "")
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%0*d", prefix, digits, value);
    return text;
}

std::string SilentAudio(int id)
{
    const std::size_t frames = 1 + static_cast<std::size_t>(id % 3);
    std::string audio;
    for (std::size_t i = 0; i < frames; ++i) {
        std::string frame(kFrameSize, '\0');
        frame.replace(0, 4, "\xFF\xFB\x90\xC4");
        audio += frame;
    }
    audio.replace(kIdOffset, kIdMarker.size() + 8, std::string(kIdMarker) + Number(id, 8));
    return audio;
}

// Other tools pad with zero bytes, this program with spaces: the tree has both.
std::string MadeRecord(const MadeFile& file, int id)
{
    const char pad = id % 2 ? '\0' : ' ';
    // Appended piece by piece: GCC 12 at -O3 takes "literal" + string for an overlapping copy (-Wrestrict).
    std::string record = "TAG";
    record.append(Padded(file.title, 30, pad)).append(Padded(file.artist, 30, pad)).append(Padded("Album", 30, pad));
    record.append("1999").append(Padded(Number(id, 5, "c"), 30, pad)).append(1, static_cast<char>(id % 148));
    return record;
}

std::string EmptyRecord()
{
    return std::string("TAG").append(124, ' ').append(1, '\xFF');
}

MadeFile Made(int id)
{
    MadeFile file;
    file.folder = Number(id / kFilesPerFolder, 3, "d");
    file.name = Number(id, 5, "f") + ".mp3";
    file.audio = SilentAudio(id);
    file.tagged = (id * 7) % 10 < 7;
    file.title = Number(id, 5, "T");
    file.artist = Number(id % 40, 2, "Orig");
    file.record = file.tagged ? MadeRecord(file, id) : EmptyRecord();
    return file;
}

int Make(const fs::path& root, int count)
{
    for (int id = 0; id < count; ++id) {
        const MadeFile file = Made(id);
        fs::create_directories(root / file.folder);
        std::ofstream out(root / file.folder / file.name, std::ios::binary);
        out << file.audio << (file.tagged ? file.record : std::string());
        if (!out) {
            std::fprintf(stderr, "cannot write file %d\n", id);
            return 1;
        }
    }
    std::printf("made %d files under %s\n", count, root.c_str());
    return 0;
}

struct CheckRules {
    int count = 0;
    std::vector<std::string> required; // when given, the only artists a record may carry
    std::vector<std::string> artists;  // artists of earlier runs, for records and names
};

// The records a file may end with, each with the artist it carries.
std::vector<std::pair<std::string, std::string>> AllowedRecords(const MadeFile& file, const CheckRules& rules)
{
    std::vector<std::pair<std::string, std::string>> records;
    if (file.tagged && rules.required.empty()) records.emplace_back(file.record, file.artist);
    for (const std::string& artist : rules.required.empty() ? rules.artists : rules.required) {
        std::string record = file.record;
        record.replace(kArtistOffset, kFieldWidth, Padded(artist, kFieldWidth, ' '));
        records.emplace_back(record, artist);
    }
    return records;
}

std::string NameFromTag(const MadeFile& file, const std::string& artist)
{
    CId3v1Tag tag;
    tag.SetArtist(artist);
    if (file.tagged) tag.SetTitle(file.title);
    return MakeFileName("%1 - %2", tag);
}

bool NameAllowed(const MadeFile& file, const std::string& name, const CheckRules& rules)
{
    if (name == file.name) return true;
    std::vector<std::string> artists = rules.artists;
    artists.insert(artists.end(), rules.required.begin(), rules.required.end());
    if (file.tagged) artists.push_back(file.artist);
    for (const std::string& artist : artists)
        if (name == NameFromTag(file, artist)) return true;
    return false;
}

struct Tally {
    std::map<std::string, int> counts;
    int shown = 0;
    void Problem(const std::string& kind, const std::string& where)
    {
        ++counts[kind];
        if (shown++ < kMaxProblemsShown) std::printf("  %s: %s\n", kind.c_str(), where.c_str());
    }
};

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int IdOf(const std::string& bytes, int count)
{
    if (bytes.size() < kIdOffset + kIdMarker.size() + 8 || bytes.compare(kIdOffset, kIdMarker.size(), kIdMarker) != 0)
        return -1;
    const int id = std::atoi(bytes.substr(kIdOffset + kIdMarker.size(), 8).c_str());
    return id < count ? id : -1;
}

void CheckTail(const MadeFile& file, const std::string& bytes, const CheckRules& rules, const std::string& where,
               Tally& tally)
{
    if (bytes.compare(0, file.audio.size(), file.audio) != 0 || bytes.size() < file.audio.size()) {
        tally.Problem("audio changed", where);
        return;
    }
    const std::string tail = bytes.substr(file.audio.size());
    if (tail.empty()) {
        if (file.tagged || !rules.required.empty()) tally.Problem(file.tagged ? "tag lost" : "tag missing", where);
        return;
    }
    if (tail.size() != CId3v1Tag::kRecordSize) {
        tally.Problem("length neither old nor old+128", where + " (" + std::to_string(bytes.size()) + " bytes)");
        return;
    }
    for (const auto& allowed : AllowedRecords(file, rules))
        if (tail == allowed.first) return;
    tally.Problem("record neither old nor new", where);
}

void CheckFile(const fs::path& root, const fs::path& path, const CheckRules& rules, std::vector<int>& seen,
               Tally& tally)
{
    const std::string where = fs::relative(path, root).string();
    const std::string bytes = Slurp(path);
    const int id = IdOf(bytes, rules.count);
    if (id < 0) {
        tally.Problem("stray file", where);
        return;
    }
    if (++seen[static_cast<std::size_t>(id)] > 1) tally.Problem("file doubled", where);
    const MadeFile file = Made(id);
    if (fs::relative(path.parent_path(), root).string() != file.folder) tally.Problem("file moved", where);
    if (!NameAllowed(file, path.filename().string(), rules)) tally.Problem("name neither old nor new", where);
    CheckTail(file, bytes, rules, where, tally);
}

int Check(const fs::path& root, const CheckRules& rules)
{
    std::vector<int> seen(static_cast<std::size_t>(rules.count), 0);
    Tally tally;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        CheckFile(root, entry.path(), rules, seen, tally);
    }
    for (int id = 0; id < rules.count; ++id)
        if (seen[static_cast<std::size_t>(id)] == 0) tally.Problem("file lost", Made(id).folder + "/" + Made(id).name);
    std::string summary;
    for (const auto& [kind, number] : tally.counts)
        summary += ", " + kind + " " + std::to_string(number);
    std::printf("checked %d files of %d%s: %s\n", files, rules.count, summary.c_str(),
                tally.counts.empty() ? "ok" : "FAILED");
    return tally.counts.empty() ? 0 : 1;
}

int Usage()
{
    std::fputs("usage: rel_tree make ROOT COUNT | rel_tree check ROOT COUNT [--require ARTIST]... ARTIST...\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) return Usage();
    const std::string command = argv[1];
    const fs::path root = argv[2];
    const int count = std::atoi(argv[3]);
    if (command == "make") return Make(root, count);
    if (command != "check") return Usage();
    CheckRules rules;
    rules.count = count;
    for (int i = 4; i < argc; ++i) {
        if (std::string(argv[i]) == "--require" && i + 1 < argc)
            rules.required.push_back(argv[++i]);
        else
            rules.artists.push_back(argv[i]);
    }
    return Check(root, rules);
}
