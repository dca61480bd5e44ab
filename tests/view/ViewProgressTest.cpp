// Long commands of the window under their progress dialog: Cancel stops
// between two files, every file is whole, the count says what was done, the
// journal names exactly the files changed, and Undo takes back exactly those.
#include "ViewHarness.h"

#include "ProgressCancel.h"
#include "dialogs/ProgressWindow.h"
#include "journal/JournalStore.h"
#include "print/ApplicationPrinter.h"
#include "print/ListingPdf.h"
#include "view/Resource.h"

#include <QPrinter>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

namespace {

using namespace std::chrono_literals;

constexpr int kFiles = 40;
constexpr int kStopAfter = 5;

// The dialog at the first file and redrawn at every one, so that the test's
// Cancel lands where it asks.
class ImmediateProgress {
public:
    ImmediateProgress() { dialogs::CProgressWindow::SetTiming({0ms, 0ms}); }
    ~ImmediateProgress() { dialogs::CProgressWindow::SetTiming({}); }
};

std::string Name(int i)
{
    return std::string{'s'}.append(std::to_string(i + 10)).append(".mp3");
}

struct Command {
    const char* what;
    std::function<void(ViewHarness&)> run;
    // Whether the file of that name was changed, and how it must look then.
    std::function<bool(const ViewHarness&, int i, const std::string& before)> changed;
    // One file at a time: the stop comes exactly where Cancel was pressed,
    // and a box says how far the command got. Otherwise (Rename all) the
    // batch in hand is finished and the count box says how many.
    bool oneAtATime;
};

void OnAll(ViewHarness& h, int command, std::deque<int> answers)
{
    h.SelectRows(h.RowNames());
    h.boxes.answers = std::move(answers);
    h.Command(command);
}

const Command kCommands[] = {
    {"remove tag", [](ViewHarness& h) { OnAll(h, res::ID_FILE_REMOVE_ID3, {}); },
     [](const ViewHarness& h, int i, const std::string& before) {
         const std::string now = h.machine.ReadFile(std::string("f/").append(Name(i)));
         EXPECT_TRUE(now == before || now == before.substr(0, before.size() - 128)) << "a file cut or half-written";
         return now != before;
     },
     true},
    {"delete", [](ViewHarness& h) { OnAll(h, res::ID_FILE_DELETE, {platform::IDYES}); },
     [](const ViewHarness& h, int i, const std::string& before) {
         const bool gone = !h.machine.Exists(std::string("f/").append(Name(i)));
         if (!gone) {
             EXPECT_EQ(h.machine.ReadFile(std::string("f/").append(Name(i))), before);
         }
         return gone;
     },
     true},
    {"rename all", [](ViewHarness& h) { OnAll(h, res::ID_FILE_RENAME_ALL, {platform::IDYES}); },
     [](const ViewHarness& h, int i, const std::string& before) {
         const std::string newName = "f/A - T" + std::to_string(i + 10) + ".mp3";
         const bool moved = h.machine.Exists(newName);
         EXPECT_NE(moved, h.machine.Exists(std::string("f/").append(Name(i))));
         EXPECT_EQ(h.machine.ReadFile(moved ? newName : std::string("f/").append(Name(i))), before);
         return moved;
     },
     false},
};

std::size_t LeadingNumber(const std::string& text)
{
    return text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])) ? 0 : std::stoul(text);
}

} // namespace

TEST(ViewProgress, CancelStopsBetweenTwoFilesAndUndoTakesBackExactlyThoseDone)
{
    for (const Command& c : kCommands) {
        SCOPED_TRACE(c.what);
        ViewHarness h;
        std::map<int, std::string> before;
        for (int i = 0; i < kFiles; ++i) {
            before[i] = Tagged({.title = std::string{'T'}.append(std::to_string(i + 10)), .artist = "A"});
            h.machine.WriteFile(std::string("f/").append(Name(i)), before[i]);
        }
        ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
        const ImmediateProgress immediate;
        {
            const ProgressCancel cancel(kStopAfter);
            c.run(h);
            ASSERT_TRUE(cancel.Pressed());
            // A walk counts the files it has found so far; a selection is known whole.
            const std::string found = c.oneAtATime ? std::to_string(kFiles) : "";
            const std::string label = cancel.label.toStdString();
            EXPECT_TRUE(label.starts_with(std::to_string(cancel.value) + " of " + found)) << label;
            EXPECT_TRUE(label.ends_with(" files\nC:\\f")) << label;
        }

        // The files done are the first ones, in the list's order; the others are untouched.
        std::set<std::string> changed;
        int done = 0;
        for (int i = 0; i < kFiles; ++i) {
            SCOPED_TRACE(Name(i));
            const bool isChanged = c.changed(h, i, before[i]);
            EXPECT_TRUE(!isChanged || i == done) << "not a first part of the files";
            if (isChanged) {
                ++done;
                changed.insert(h.machine.Host(std::string("f/").append(Name(i))));
            }
        }
        EXPECT_LT(done, kFiles);
        ASSERT_FALSE(h.boxes.calls.empty());
        const std::string& report = h.boxes.calls.back().text;
        if (c.oneAtATime) {
            EXPECT_EQ(done, kStopAfter);
            EXPECT_EQ(report, "Stopped after 5 of 40 files.");
        } else {
            EXPECT_GE(done, kStopAfter);
            EXPECT_EQ(LeadingNumber(report), static_cast<std::size_t>(done)) << report;
        }

        const journal::CJournalStore store(journal::CJournalStore::DefaultFolder());
        const auto entries = store.List();
        ASSERT_EQ(entries.size(), 1u);
        const auto entry = store.Read(entries[0].id);
        ASSERT_TRUE(entry);
        std::set<std::string> journalled;
        for (const journal::Record& record : entry->records)
            journalled.insert(record.path);
        EXPECT_EQ(journalled, changed);

        h.Command(res::ID_FILE_UNDO);
        for (int i = 0; i < kFiles; ++i)
            EXPECT_EQ(h.machine.ReadFile(std::string("f/").append(Name(i))), before[i]) << Name(i);
        EXPECT_EQ(h.RowNames().size(), static_cast<std::size_t>(kFiles));
    }
}

// Cancel while the files of a printout are collected prints nothing; the
// same print left to run writes its pages.
TEST(ViewProgress, CancelWhileCollectingAPrintoutPrintsNothing)
{
    for (const bool cancelled : {true, false}) {
        SCOPED_TRACE(cancelled ? "cancelled" : "left to run");
        ViewHarness h;
        for (int i = 0; i < kFiles; ++i)
            h.machine.WriteFile(std::string("f/").append(Name(i)), Tagged({.title = "T", .artist = "A"}));
        ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
        const std::string pdf = h.machine.Host("listing.pdf");
        ASSERT_TRUE(ConfigurePdfPrinter(ApplicationPrinter(), pdf, "A4"));
        const ImmediateProgress immediate;
        const ProgressCancel cancel(cancelled ? kStopAfter : kFiles + 1);
        WhenModal([](QWidget* settings) { settings->findChild<QPushButton*>("ok")->click(); });
        h.Command(res::ID_FILE_PRINT_DIRECT);
        EXPECT_EQ(cancel.Pressed(), cancelled);
        EXPECT_EQ(std::filesystem::exists(pdf), !cancelled);
    }
}
