// The 148 ID3v1 genre names, numbered 0 to 147: the genre byte indexes them.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::size_t kGenreCount = 148;
// The genre byte of a tag without a genre; numbers from kGenreCount up have no name either.
inline constexpr unsigned char kNoGenre = 255;

extern const std::array<std::string_view, kGenreCount> kGenreNames;

// The genre byte a user means: a number from 0 to 255, or a name of the
// table (or a former name of one of its numbers) in any case, surrounding
// spaces ignored; nullopt for anything else, "" included.
std::optional<unsigned char> GenreNumber(std::string_view name);
// The name of a genre byte; empty text for numbers without one.
std::string GenreName(unsigned char number);
