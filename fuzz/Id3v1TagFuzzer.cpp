// Arbitrary bytes as a whole MP3 file: Open and every getter on its tail, then
// setters and Save on a copy, then RemoveTag and Save. Whatever the file holds,
// the audio bytes before the tag must never change.
#include "FuzzCheck.h"
#include "FuzzDrive.h"

#include "tag/Id3v1Tag.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr char kFileName[] = "a.mp3";
constexpr char kCopyName[] = "b.mp3";
constexpr std::size_t kRecord = CId3v1Tag::kRecordSize;
constexpr std::size_t kTextWidth = 30, kYearWidth = 4;

bool IsCSpace(char c)
{
    return std::string_view(" \t\n\v\f\r").find(c) != std::string_view::npos;
}

// A field as the read rule gives it back after the write rule stored text.
std::string StoredText(std::string_view text, std::size_t width)
{
    std::string field(text.substr(0, width));
    field = field.substr(0, field.find('\0'));
    while (!field.empty() && IsCSpace(field.back()))
        field.pop_back();
    return field;
}

// A getter's text is a prefix of its field, has no zero byte and no trailing white space.
void CheckField(const std::string& value, std::string_view field)
{
    FUZZ_CHECK(value.size() <= field.size() && field.starts_with(value));
    FUZZ_CHECK(value.find('\0') == std::string::npos);
    FUZZ_CHECK(value.empty() || !IsCSpace(value.back()));
}

void CheckGetters(const CId3v1Tag& tag, std::string_view file)
{
    const bool tagged = file.size() > kRecord && file.substr(file.size() - kRecord).starts_with("TAG");
    FUZZ_CHECK(tag.HasTag() == tagged);
    FUZZ_CHECK(tag.GetFileLength() == file.size());
    if (!tagged) {
        for (const std::string& text :
             {tag.GetTitle(), tag.GetArtist(), tag.GetAlbum(), tag.GetYear(), tag.GetComment(), tag.GetGenre()})
            FUZZ_CHECK(text.empty());
        return;
    }
    const std::string_view record = file.substr(file.size() - kRecord);
    CheckField(tag.GetTitle(), record.substr(3, kTextWidth));
    CheckField(tag.GetArtist(), record.substr(33, kTextWidth));
    CheckField(tag.GetAlbum(), record.substr(63, kTextWidth));
    CheckField(tag.GetYear(), record.substr(93, kYearWidth));
    CheckField(tag.GetComment(), record.substr(97, kTextWidth));
    const auto genre = static_cast<unsigned char>(record[127]);
    FUZZ_CHECK(tag.GetGenre() == (genre < CId3v1Tag::kGenreCount ? tag.GetGenreName(genre) : std::string()));
}

// Texts for the setters, cut from the input so that they hold odd bytes too.
std::string Slice(std::string_view input, std::size_t at, std::size_t length)
{
    return at < input.size() ? std::string(input.substr(at, length)) : std::string();
}

void CheckSave(const CFuzzDrive& drive, std::string_view file, bool tagged)
{
    const std::size_t audio = tagged ? file.size() - kRecord : file.size();
    drive.WriteFile(kCopyName, file);
    CId3v1Tag tag;
    FUZZ_CHECK(tag.Open(drive.Sys(kCopyName)));
    const std::string title = Slice(file, 0, 35), artist = Slice(file, 7, 31), year = Slice(file, 3, 6);
    // First byte as the genre number; numbers past the table set no genre.
    const int number = file.empty() ? CId3v1Tag::kNoGenre : static_cast<unsigned char>(file[0]);
    const std::string genre = number < CId3v1Tag::kGenreCount ? tag.GetGenreName(number) : std::string();
    tag.SetTitle(title);
    tag.SetArtist(artist);
    tag.SetYear(year);
    tag.SetGenre(genre);
    tag.Save();

    const std::string saved = drive.ReadFile(kCopyName).value_or("");
    FUZZ_CHECK(saved.size() == audio + kRecord);
    FUZZ_CHECK(std::string_view(saved).substr(0, audio) == file.substr(0, audio));
    const auto& record = tag.GetRecord();
    FUZZ_CHECK(std::string_view(saved).substr(audio) ==
               std::string_view(reinterpret_cast<const char*>(record.data()), record.size()));
    // A file that is nothing but a tag carries none (it must be longer than 128 bytes).
    if (audio == 0) return;

    CId3v1Tag again;
    FUZZ_CHECK(again.Open(drive.Sys(kCopyName)) && again.HasTag());
    FUZZ_CHECK(again.GetTitle() == StoredText(title, kTextWidth));
    FUZZ_CHECK(again.GetArtist() == StoredText(artist, kTextWidth));
    FUZZ_CHECK(again.GetYear() == StoredText(year, kYearWidth));
    FUZZ_CHECK(again.GetGenre() == genre);
    if (!tagged) FUZZ_CHECK(again.GetAlbum().empty() && again.GetComment().empty());

    again.RemoveTag();
    again.Save();
    FUZZ_CHECK(drive.ReadFile(kCopyName) == std::string(file.substr(0, audio)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CFuzzDrive& drive = CFuzzDrive::Get();
    drive.Empty();
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    drive.WriteFile(kFileName, file);

    CId3v1Tag tag;
    FUZZ_CHECK(tag.Open(drive.Sys(kFileName)));
    CheckGetters(tag, file);
    FUZZ_CHECK(drive.ReadFile(kFileName) == std::string(file));
    CheckSave(drive, file, tag.HasTag());
    return 0;
}
