#include "Id3v1Tag.h"

#include "GenreTable.h"
#include "platform/File.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// Layout of the record, offsets from its first byte (file length - 128).
constexpr std::size_t kMarkerOffset = 0, kMarkerWidth = 3;
constexpr std::size_t kTitleOffset = 3, kTitleWidth = 30;
constexpr std::size_t kArtistOffset = 33, kArtistWidth = 30;
constexpr std::size_t kAlbumOffset = 63, kAlbumWidth = 30;
constexpr std::size_t kYearOffset = 93, kYearWidth = 4;
constexpr std::size_t kCommentOffset = 97, kCommentWidth = 30;
// ID3v1.1 puts a track number into the comment's last byte, marked by a zero
// byte before it; the comment then has 28 bytes.
constexpr std::size_t kTrackMarkOffset = 125, kTrackOffset = 126;
constexpr std::size_t kShortCommentWidth = kTrackMarkOffset - kCommentOffset;
constexpr std::size_t kGenreOffset = 127;
constexpr char kMarker[kMarkerWidth + 1] = "TAG";
constexpr char kId3v2Marker[] = {'I', 'D', '3'};
constexpr unsigned char kPad = 0x20;

using Record = std::array<unsigned char, CId3v1Tag::kRecordSize>;

bool IsCSpace(unsigned char c)
{
    // The C locale's white space; bytes of 0x80 and above never count.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool StartsWithMarker(const Record& record)
{
    return std::memcmp(record.data() + kMarkerOffset, kMarker, kMarkerWidth) == 0;
}

// One read of three bytes on the handle Open has anyway, so the listing of a
// large folder pays no second open for it.
bool StartsWithId3v2(platform::CFile& file)
{
    char head[sizeof kId3v2Marker];
    return file.ReadAt(0, head, sizeof head) == sizeof head && std::memcmp(head, kId3v2Marker, sizeof head) == 0;
}

// Where the last record of an open file starts, when the file is long enough
// to carry one and still ends with a tag: Save checks this so that a file
// changed since Open never loses audio bytes to a cut or an overwrite.
std::optional<std::uint64_t> ReadTrailingTag(platform::CFile& file, Record& record)
{
    const std::uint64_t length = file.GetLength();
    if (length <= CId3v1Tag::kRecordSize) return std::nullopt;
    const std::uint64_t start = length - CId3v1Tag::kRecordSize;
    if (file.ReadAt(start, record.data(), record.size()) != record.size() || !StartsWithMarker(record))
        return std::nullopt;
    return start;
}

void OverwriteRecord(platform::CFile& file, std::uint64_t start, const Record& record, const Record& old)
{
    try {
        file.WriteAt(start, record.data(), record.size());
    } catch (const platform::CFileException&) {
        // Put the old tag back so that a failed write leaves no half-new record.
        try {
            file.WriteAt(start, old.data(), old.size());
        } catch (const platform::CFileException&) {
        }
        throw;
    }
}

void AppendRecord(platform::CFile& file, const Record& record)
{
    // Written at the old end rather than after growing the file, so that a
    // failure can never leave a zeroed record behind.
    const std::uint64_t oldLength = file.GetLength();
    try {
        file.WriteAt(oldLength, record.data(), record.size());
    } catch (const platform::CFileException&) {
        try {
            file.SetLength(oldLength);
        } catch (const platform::CFileException&) {
        }
        throw;
    }
}

} // namespace

CId3v1Tag::CId3v1Tag() : m_astrGenres(MakeGenreTable())
{
    SetEmptyRecord();
}

bool CId3v1Tag::Open(const std::string& path)
{
    m_strPath = path;
    m_bHasTag = false;
    m_bTagOnDisk = false;
    m_bHasId3v2 = false;
    platform::CFile file;
    const bool opened = file.Open(path, platform::CFile::modeRead);
    m_nLastError = opened ? 0 : file.LastError();
    if (!opened) {
        // Nothing of the previous file may show through a reused object.
        SetEmptyRecord();
        return false;
    }
    m_dwFileLength = file.GetLength();
    m_bHasId3v2 = StartsWithId3v2(file);
    if (m_dwFileLength > kRecordSize) {
        const bool complete = file.ReadAt(m_dwFileLength - kRecordSize, m_record.data(), kRecordSize) == kRecordSize;
        m_bHasTag = m_bTagOnDisk = complete && StartsWithMarker(m_record);
    }
    file.Close();
    if (!m_bHasTag) SetEmptyRecord();
    return true;
}

void CId3v1Tag::Save()
{
    platform::CFile file;
    const bool opened = file.Open(m_strPath, platform::CFile::modeReadWrite);
    m_nLastError = opened ? 0 : file.LastError();
    if (!opened) return;
    // The tail is read again under the lock: the file may have gained or lost
    // a tag since Open (another program or process saved meanwhile), and a
    // second record must never be stacked onto one, nor audio cut as a tag.
    Record old{};
    const bool lookAtTail = m_bTagOnDisk || m_bHasTag;
    const std::optional<std::uint64_t> tagAt = lookAtTail ? ReadTrailingTag(file, old) : std::nullopt;
    if (m_bHasTag && tagAt)
        OverwriteRecord(file, *tagAt, m_record, old);
    else if (m_bHasTag)
        AppendRecord(file, m_record);
    else if (m_bTagOnDisk && tagAt)
        file.SetLength(*tagAt);
    file.Close();
    m_bTagOnDisk = m_bHasTag;
}

std::string CId3v1Tag::GetTitle() const
{
    return ReadField(kTitleOffset, kTitleWidth);
}
std::string CId3v1Tag::GetArtist() const
{
    return ReadField(kArtistOffset, kArtistWidth);
}
std::string CId3v1Tag::GetAlbum() const
{
    return ReadField(kAlbumOffset, kAlbumWidth);
}
std::string CId3v1Tag::GetYear() const
{
    return ReadField(kYearOffset, kYearWidth);
}
std::string CId3v1Tag::GetComment() const
{
    return ReadField(kCommentOffset, kCommentWidth);
}

void CId3v1Tag::SetTitle(std::string_view text)
{
    WriteField(kTitleOffset, kTitleWidth, text);
}
void CId3v1Tag::SetArtist(std::string_view text)
{
    WriteField(kArtistOffset, kArtistWidth, text);
}
void CId3v1Tag::SetAlbum(std::string_view text)
{
    WriteField(kAlbumOffset, kAlbumWidth, text);
}
void CId3v1Tag::SetYear(std::string_view text)
{
    WriteField(kYearOffset, kYearWidth, text);
}
bool CId3v1Tag::SetComment(std::string_view text)
{
    // The record's bytes, not GetTrack: a tag pending removal still holds the
    // track, and a setter brings that tag back with its other bytes.
    const bool hadTrack = RecordTrack() != 0;
    if (hadTrack && text.size() <= kShortCommentWidth) {
        WriteField(kCommentOffset, kShortCommentWidth, text);
        return false;
    }
    WriteField(kCommentOffset, kCommentWidth, text);
    return hadTrack;
}

int CId3v1Tag::GetTrack() const
{
    return m_bHasTag ? RecordTrack() : 0;
}

void CId3v1Tag::SetTrack(unsigned char track)
{
    if (track == 0) {
        // Byte 125 stays zero: it is comment padding the user did not choose,
        // and the record keeps the ID3v1.1 form that readers know as "no
        // track". Without a track, bytes 125 and 126 are comment text and stay.
        if (GetTrack() != 0) m_record[kTrackOffset] = 0;
        return;
    }
    m_bHasTag = true;
    m_record[kTrackMarkOffset] = 0;
    m_record[kTrackOffset] = track;
}

std::string CId3v1Tag::GetGenre() const
{
    // Deliberately ignores m_bHasTag: the empty record's 255 already reads as no genre.
    const std::size_t number = m_record[kGenreOffset];
    return number < m_astrGenres.size() ? m_astrGenres[number] : std::string();
}

void CId3v1Tag::SetGenre(std::string_view name)
{
    const auto found = std::find(m_astrGenres.begin(), m_astrGenres.end(), name);
    m_record[kGenreOffset] =
        found == m_astrGenres.end() ? kNoGenre : static_cast<unsigned char>(found - m_astrGenres.begin());
    m_bHasTag = true;
}

std::string CId3v1Tag::ReadField(std::size_t offset, std::size_t width) const
{
    if (!m_bHasTag) return {};
    const auto first = m_record.begin() + static_cast<std::ptrdiff_t>(offset);
    auto last = std::find(first, first + static_cast<std::ptrdiff_t>(width), 0);
    while (last != first && IsCSpace(*(last - 1)))
        --last;
    return std::string(first, last);
}

int CId3v1Tag::RecordTrack() const
{
    return m_record[kTrackMarkOffset] == 0 ? m_record[kTrackOffset] : 0;
}

void CId3v1Tag::WriteField(std::size_t offset, std::size_t width, std::string_view text)
{
    m_bHasTag = true;
    const std::size_t kept = std::min(width, text.size());
    const auto target = m_record.begin() + static_cast<std::ptrdiff_t>(offset);
    std::copy_n(text.begin(), kept, target);
    std::fill(target + static_cast<std::ptrdiff_t>(kept), target + static_cast<std::ptrdiff_t>(width), kPad);
}

void CId3v1Tag::SetEmptyRecord()
{
    std::memcpy(m_record.data() + kMarkerOffset, kMarker, kMarkerWidth);
    std::fill(m_record.begin() + kMarkerWidth, m_record.begin() + kGenreOffset, kPad);
    m_record[kGenreOffset] = kNoGenre;
}
