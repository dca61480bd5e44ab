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
