#include "Id3v1Record.h"

#include "GenreTable.h"

#include <algorithm>
#include <cstring>

namespace {

// Layout of the record beyond the six fields (kFieldLayout), offsets from its first byte.
constexpr std::size_t kMarkerOffset = 0, kMarkerWidth = 3;
constexpr char kMarker[kMarkerWidth + 1] = "TAG";
constexpr std::size_t kCommentOffset = LayoutOf(Field::Comment).offset;
constexpr std::size_t kCommentWidth = LayoutOf(Field::Comment).width;
// ID3v1.1 puts a track number into the comment's last byte, marked by a zero
// byte before it; the comment then has 28 bytes.
constexpr std::size_t kTrackMarkOffset = 125, kTrackOffset = 126;
constexpr std::size_t kShortCommentWidth = kTrackMarkOffset - kCommentOffset;
constexpr std::size_t kGenreOffset = LayoutOf(Field::Genre).offset;
// The text fields lie between the marker and the genre byte.
constexpr std::size_t kTextStart = kMarkerOffset + kMarkerWidth, kTextEnd = kGenreOffset;
constexpr unsigned char kPad = 0x20;

static_assert(kCommentOffset + kCommentWidth == kGenreOffset && kGenreOffset + 1 == CId3v1Record::kSize);
static_assert(kTrackOffset == kTrackMarkOffset + 1 && kTrackOffset + 1 == kGenreOffset);

bool IsCSpace(unsigned char c)
{
    // The C locale's white space; bytes of 0x80 and above never count.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

CId3v1Record::CId3v1Record()
{
    std::memcpy(m_bytes.data() + kMarkerOffset, kMarker, kMarkerWidth);
    std::fill(m_bytes.begin() + kTextStart, m_bytes.begin() + kTextEnd, kPad);
    m_bytes[kGenreOffset] = kNoGenre;
}

std::optional<CId3v1Record> CId3v1Record::Parse(std::span<const unsigned char> bytes)
{
    if (bytes.size() != kSize || std::memcmp(bytes.data() + kMarkerOffset, kMarker, kMarkerWidth) != 0)
        return std::nullopt;
    Bytes copy;
    std::copy(bytes.begin(), bytes.end(), copy.begin());
    return CId3v1Record(copy);
}

std::string CId3v1Record::Get(Field field) const
{
    if (field == Field::Genre) return GenreName(GenreByte());
    return ReadText(LayoutOf(field).offset, LayoutOf(field).width);
}

void CId3v1Record::Set(Field field, std::string_view text)
{
    if (field == Field::Genre)
        m_bytes[kGenreOffset] = GenreNumber(text).value_or(kNoGenre);
    else if (field == Field::Comment)
        SetComment(text);
    else
        WriteText(LayoutOf(field).offset, LayoutOf(field).width, text);
}

bool CId3v1Record::SetComment(std::string_view text)
{
    const bool hadTrack = Track() != 0;
    if (hadTrack && text.size() <= kShortCommentWidth) {
        WriteText(kCommentOffset, kShortCommentWidth, text);
        return false;
    }
    WriteText(kCommentOffset, kCommentWidth, text);
    return hadTrack;
}

int CId3v1Record::Track() const
{
    return m_bytes[kTrackMarkOffset] == 0 ? m_bytes[kTrackOffset] : 0;
}

void CId3v1Record::SetTrack(unsigned char track)
{
    // With 0, byte 125 stays zero: it is comment padding the user did not
    // choose, and the record keeps the ID3v1.1 form that readers know as "no
    // track". Without a track, bytes 125 and 126 are comment text and stay.
    if (track == 0) {
        if (Track() != 0) m_bytes[kTrackOffset] = 0;
        return;
    }
    m_bytes[kTrackMarkOffset] = 0;
    m_bytes[kTrackOffset] = track;
}

unsigned char CId3v1Record::GenreByte() const
{
    return m_bytes[kGenreOffset];
}

std::string CId3v1Record::ReadText(std::size_t offset, std::size_t width) const
{
    const unsigned char* const first = m_bytes.data() + offset;
    // memchr, not a loop over the bytes: a listing reads five fields a file.
    const void* const zero = std::memchr(first, 0, width);
    std::size_t size =
        zero != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - first) : width;
    while (size > 0 && IsCSpace(first[size - 1]))
        --size;
    std::string text(size, '\0');
    std::memcpy(text.data(), first, size);
    return text;
}

void CId3v1Record::WriteText(std::size_t offset, std::size_t width, std::string_view text)
{
    const std::size_t kept = std::min(width, text.size());
    const auto target = m_bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    std::copy_n(text.begin(), kept, target);
    std::fill(target + static_cast<std::ptrdiff_t>(kept), target + static_cast<std::ptrdiff_t>(width), kPad);
}
