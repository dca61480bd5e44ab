// Bytes of test files: silent MPEG audio and ID3v1 records built field by field.
#pragma once

#include <cstddef>
#include <string>

namespace tagbytes {

// One silent MPEG-1 Layer III frame: 128 kbit/s, 44.1 kHz, mono, 417 bytes,
// side information and main data all zero.
inline std::string SilentFrames(int count)
{
    std::string frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    frame[3] = '\xC4';
    std::string audio;
    for (int i = 0; i < count; ++i)
        audio += frame;
    return audio;
}

struct RecordFields {
    std::string title, artist, album, year, comment;
    unsigned char genre = 255;
    char pad = '\0'; // other tools pad with zero bytes, this program with spaces
};

inline std::string Field(const std::string& text, std::size_t width, char pad)
{
    std::string field = text.substr(0, width);
    field.resize(width, pad);
    return field;
}

// Offsets of fields in the record, for tests that look at single bytes.
constexpr std::size_t kTitleAt = 3, kArtistAt = 33, kGenreAt = 127;

// A field as this program writes it: cut or padded with spaces to its width.
inline std::string Pad(const std::string& text, std::size_t width)
{
    return Field(text, width, ' ');
}

inline std::string MakeRecord(const RecordFields& f)
{
    return "TAG" + Field(f.title, 30, f.pad) + Field(f.artist, 30, f.pad) + Field(f.album, 30, f.pad) +
           Field(f.year, 4, f.pad) + Field(f.comment, 30, f.pad) + std::string(1, static_cast<char>(f.genre));
}

inline std::string TaggedFile(const RecordFields& f, int frames = 3)
{
    return SilentFrames(frames) + MakeRecord(f);
}

} // namespace tagbytes
