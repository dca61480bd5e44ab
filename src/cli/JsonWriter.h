// A small streaming writer of one JSON document into a string.
#pragma once

#include "tag/Field.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Escapes UTF-8 text for a JSON string body: quote, backslash and control
// characters (as \n, \t ... or \u00XX); other bytes pass through unchanged.
void AppendJsonEscaped(std::string& out, std::string_view utf8);

class CJsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // Inside an object: the member name of the next value.
    void Key(std::string_view name);
    void String(std::string_view utf8);
    void Number(std::uint64_t value);
    void Number(std::int64_t value);
    void Bool(bool value);
    void Null();

    // Shorthands for a member of an object.
    void Member(std::string_view name, std::string_view utf8)
    {
        Key(name);
        String(utf8);
    }
    void Member(std::string_view name, const char* utf8)
    {
        Key(name);
        String(utf8);
    }
    void Member(std::string_view name, std::uint64_t value)
    {
        Key(name);
        Number(value);
    }
    void Member(std::string_view name, int value)
    {
        Key(name);
        Number(static_cast<std::int64_t>(value));
    }
    void Member(std::string_view name, bool value)
    {
        Key(name);
        Bool(value);
    }

    // A number, or null where there is none.
    void MemberOrNull(std::string_view name, std::optional<std::uint64_t> value)
    {
        Key(name);
        if (value)
            Number(*value);
        else
            Null();
    }
    // The tag fields, the track (null for none), the ID3v2 mark and the
    // genre byte (null without a tag) that show and list give for a file, in their order.
    template <typename Fields>
    void TagMembers(const Fields& fields, int track, bool hasId3v2, std::optional<std::uint64_t> genreNumber);

    // A path or file name (host bytes): its text, always valid UTF-8 with
    // U+FFFD for a byte that is not; where the bytes are not valid UTF-8, a
    // second member "<name>_hex" holds them exactly, two hex digits a byte,
    // so that a script can still address the file.
    void PathMember(std::string_view name, std::string_view bytes);

    const std::string& Text() const { return m_text; }
    std::string& Text() { return m_text; }

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);

    std::string m_text;
    std::vector<bool> m_hasItem; // per open container: a value was written already
    bool m_afterKey = false;
};

template <typename Fields>
void CJsonWriter::TagMembers(const Fields& fields, int track, bool hasId3v2, std::optional<std::uint64_t> genreNumber)
{
    for (const Field field : kFields)
        Member(FieldName(field), At(fields, field));
    MemberOrNull("track", track != 0 ? std::optional<std::uint64_t>(track) : std::nullopt);
    Member("has_id3v2", hasId3v2);
    MemberOrNull("genre_number", genreNumber);
}
