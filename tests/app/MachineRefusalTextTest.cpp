// The window's words for a code page it refuses: the user's language, with
// the value and its name filled in; other problems as the platform gives them.
#include "ViewHarness.h"

#include "app/MachineRefusalText.h"
#include "language/TextIds.h"
#include "table/TableFile.h"

#include <gtest/gtest.h>

TEST(MachineRefusalText, ACodePageRefusalSpeaksTheLanguageOfTheLanguageFile)
{
    ViewHarness h;
    h.WriteLanguage("Deutsch", {{text::kCodePageRefused, "Die Codepage \"%1\" (Wert \"%2\") geht nicht: %3"},
                                {text::kCodePageMultiByte, "Mehrbyte."},
                                {text::kCodePageChangesAscii, "ASCII \xE4ndert sich."}});
    CTableFile german;
    ASSERT_TRUE(german.Load(h.machine.Sys("lang/Deutsch.qzd")));
    CTableFile none; // a language that could not be loaded: the English built in
    using Reason = platform::CodePageRefusal::Reason;
    const struct {
        CTableFile* language;
        Reason reason;
        const char* shown;
    } cases[] = {
        {&german, Reason::MultiByte, "Die Codepage \"932\" (Wert \"ACP\") geht nicht: Mehrbyte."},
        {&german, Reason::ChangesAscii, "Die Codepage \"932\" (Wert \"ACP\") geht nicht: ASCII ändert sich."},
        {&none, Reason::MultiByte,
         "The code page \"932\" (value \"ACP\") cannot be used: it is a multi-byte code "
         "page; only single-byte code pages are supported."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        const platform::MachineRefusal refusal{"English", platform::CodePageRefusal{"932", "ACP", c.reason}};
        EXPECT_EQ(MachineRefusalText(refusal, *c.language).toStdString(), c.shown);
    }
    const platform::MachineRefusal hiveProblem{"settings file /x is not a regular file", std::nullopt};
    EXPECT_EQ(MachineRefusalText(hiveProblem, german).toStdString(), "settings file /x is not a regular file");
}
