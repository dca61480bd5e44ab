// The six text fields of a tag, named once: the record, the file list's
// columns, the dialogs and the command line all loop over this table.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// In the rename pattern's placeholder order: %1 is the artist ... %6 the comment.
enum class Field { Artist, Title, Album, Year, Genre, Comment };

struct FieldLayout {
    Field field;
    std::string_view name; // as the command line and JSON spell it
    std::size_t offset;    // from the record's first byte
    std::size_t width;     // in bytes; the genre is its one number byte
};

inline constexpr std::array<FieldLayout, 6> kFieldLayout{{
    {Field::Artist, "artist", 33, 30},
    {Field::Title, "title", 3, 30},
    {Field::Album, "album", 63, 30},
    {Field::Year, "year", 93, 4},
    {Field::Genre, "genre", 127, 1},
    {Field::Comment, "comment", 97, 30},
}};

inline constexpr std::size_t kFieldCount = kFieldLayout.size();

constexpr std::size_t FieldIndex(Field field)
{
    return static_cast<std::size_t>(field);
}

constexpr const FieldLayout& LayoutOf(Field field)
{
    return kFieldLayout[FieldIndex(field)];
}

constexpr std::string_view FieldName(Field field)
{
    return LayoutOf(field).name;
}

// Every field in placeholder order, for a range-for: for (Field f : kFields).
inline constexpr std::array<Field, kFieldCount> kFields{Field::Artist, Field::Title, Field::Album,
                                                        Field::Year,   Field::Genre, Field::Comment};

// A value per field, indexed by Field.
template <typename T> using FieldArray = std::array<T, kFieldCount>;

template <typename T> constexpr T& At(FieldArray<T>& values, Field field)
{
    return values[FieldIndex(field)];
}
template <typename T> constexpr const T& At(const FieldArray<T>& values, Field field)
{
    return values[FieldIndex(field)];
}

// The table lists the fields in enum order, so LayoutOf can index it.
static_assert([] {
    for (std::size_t index = 0; index < kFieldCount; ++index)
        if (FieldIndex(kFieldLayout[index].field) != index || kFields[index] != kFieldLayout[index].field) return false;
    return true;
}());
