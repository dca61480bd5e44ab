#include "platform/QtText.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

using platform::FromQString;
using platform::ToQString;

TEST(QtText, ConvertsThroughTheMachinesCodePage)
{
    const struct {
        int page;
        const char* system;
        const char16_t* text;
    } cases[] = {
        {1252, "M\xFCller \x80", u"Müller €"},
        {1251, "\xC6\xE8\xE2\xEE", u"Живо"},
        {1250,
         "\xA3\xF3"
         "d\x9F",
         u"Łódź"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        TempMachine machine(c.page);
        EXPECT_EQ(ToQString(c.system), QString::fromUtf16(c.text));
        EXPECT_EQ(FromQString(QString::fromUtf16(c.text)), c.system);
    }
}

TEST(QtText, TextThePageCannotHoldBecomesQuestionMarks)
{
    TempMachine machine(1252);
    EXPECT_EQ(FromQString(QString::fromUtf16(u"Ж日x")), "??x");
    // A lone surrogate is no character at all.
    EXPECT_EQ(FromQString(QString(QChar(0xD800)) + "a"), "?a");
}

// Language patterns are filled in one pass: a file name holding "%2" stays as
// it is, a pattern may leave a value out (the singular of a count) or name
// one twice, and a placeholder without a value is kept.
TEST(QtText, FillPlaceholdersReplacesEachNumberOnce)
{
    const struct {
        const char16_t* pattern;
        QStringList values;
        const char16_t* filled;
    } cases[] = {
        {u"%1: %2", {"a%2.mp3", "gone"}, u"a%2.mp3: gone"},
        {u"Undone: %1 (1 file restored, %3 skipped)", {"set", "1", "4"}, u"Undone: set (1 file restored, 4 skipped)"},
        {u"%2 before %1, %2 again", {"x", "y"}, u"y before x, y again"},
        {u"100% sure, %3 kept, %0 too", {"x"}, u"100% sure, %3 kept, %0 too"},
        {u"ends in %", {"x"}, u"ends in %"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.pattern).toStdString());
        EXPECT_EQ(platform::FillPlaceholders(QString::fromUtf16(c.pattern), c.values), QString::fromUtf16(c.filled));
    }
}
