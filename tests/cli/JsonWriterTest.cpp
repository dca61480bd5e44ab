// The JSON string escaper and writer of the command line.
#include "cli/JsonWriter.h"

#include <gtest/gtest.h>

namespace {

TEST(JsonEscape, EscapesQuotesBackslashesAndEveryControlCharacter)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"plain", "plain"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\Musik", "C:\\\\Musik"},
        {"a\nb\tc\rd\be\ff", "a\\nb\\tc\\rd\\be\\ff"},
        {std::string("\x00\x01\x1f", 3), "\\u0000\\u0001\\u001f"},
        {"\x7f", "\x7f"},                                                   // DEL needs no escape
        {"Mot\xC3\xB6rhead \xE2\x82\xAC", "Mot\xC3\xB6rhead \xE2\x82\xAC"}, // UTF-8 passes through
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        std::string out;
        AppendJsonEscaped(out, c.in);
        EXPECT_EQ(out, c.out);
    }
}

TEST(JsonWriter, PutsCommasAndColonsWhereTheyBelong)
{
    CJsonWriter json;
    json.BeginObject();
    json.Member("count", 2);
    json.Key("rows");
    json.BeginArray();
    json.BeginObject();
    json.Member("name", "a\"b");
    json.Key("size");
    json.Null();
    json.EndObject();
    json.BeginArray();
    json.EndArray();
    json.Number(std::uint64_t{18446744073709551615u});
    json.EndArray();
    json.Member("ok", true);
    json.EndObject();
    EXPECT_EQ(json.Text(),
              "{\"count\":2,\"rows\":[{\"name\":\"a\\\"b\",\"size\":null},[],18446744073709551615],\"ok\":true}");
}

} // namespace
