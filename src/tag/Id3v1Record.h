// The 128-byte ID3v1 record as a value: parsed from and rendered to bytes,
// with no file, so it can be tested and fuzzed without a disk.
#pragma once

#include "Field.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class CId3v1Record {
public:
    static constexpr std::size_t kSize = 128;
    using Bytes = std::array<unsigned char, kSize>;

    // The record a file without a tag gets: "TAG", spaces, genre byte 255.
    CId3v1Record();

    // The record in bytes, when they are exactly 128 and begin with "TAG".
    static std::optional<CId3v1Record> Parse(std::span<const unsigned char> bytes);
    const Bytes& Render() const { return m_bytes; }

    // Read rule: the field's bytes up to the first zero byte, trailing white
    // space removed; the genre is its name, empty for numbers without one.
    std::string Get(Field field) const;
    // Write rule: cut to the field's width, padded with spaces; the genre by
    // its exact name, 255 when none matches. A comment keeps a track number
    // when it fits beside it (see SetComment).
    void Set(Field field, std::string_view text);

    // A comment of up to 28 bytes keeps a track number the record holds; a
    // longer one takes its place. True when a track number was overwritten.
    bool SetComment(std::string_view text);
    // The ID3v1.1 track number: byte 126 when byte 125 is zero; 0 for none.
    int Track() const;
    // 1 to 255 sets the track, cutting the comment to 28 bytes; 0 clears byte 126.
    void SetTrack(unsigned char track);
    unsigned char GenreByte() const;

private:
    explicit CId3v1Record(const Bytes& bytes) : m_bytes(bytes) {}

    std::string ReadText(std::size_t offset, std::size_t width) const;
    void WriteText(std::size_t offset, std::size_t width, std::string_view text);

    Bytes m_bytes{};
};
