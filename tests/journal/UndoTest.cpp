#include "journal/Undo.h"

#include "TagBytes.h"
#include "TempMachine.h"
#include "ops/Rename.h"
#include "ops/TagChange.h"
#include "ops/TagFolder.h"
#include "tag/Id3v1Tag.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using journal::CJournalStore;
using journal::UndoStep;
using tagbytes::SilentFrames;
using tagbytes::TaggedFile;

class UndoTest : public ::testing::Test {
protected:
    TempMachine machine;
    CJournalStore store{machine.Host(".state/journal")};

    // The collection: a tagged file, an untagged one, and one that is
    // shorter than a tag.
    std::map<std::string, std::string> MakeFolder()
    {
        std::map<std::string, std::string> files = {
            {"m/tagged.mp3", TaggedFile({"Title", "Artist", "Album", "1999", "note", 17})},
            {"m/plain.mp3", SilentFrames(3)},
            {"m/sub/tiny.mp3", std::string(100, '\x55')},
        };
        for (const auto& [name, bytes] : files)
            machine.WriteFile(name, bytes);
        return files;
    }

    void ExpectFiles(const std::map<std::string, std::string>& files)
    {
        for (const auto& [name, bytes] : files) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(machine.Exists(name));
            EXPECT_EQ(machine.ReadFile(name), bytes);
        }
    }

    journal::UndoReport Undo(std::uint64_t id, bool dryRun = false)
    {
        const auto entry = store.Read(id);
        EXPECT_TRUE(entry);
        return journal::UndoEntry(store, *entry, "test", dryRun);
    }

    std::uint64_t MultiTag(const TagFields& fields)
    {
        const auto entry = store.Begin({"test", "multitag", machine.Host("m"), std::nullopt});
        TagFolder(machine.Sys("m"), fields, true, {}, {1, false, false, entry.get()});
        return entry->Id();
    }
};

TEST_F(UndoTest, MultiTagAndStripComeBackByteForByte)
{
    const auto before = MakeFolder();
    TagFields fields;
    fields[Field::Artist] = "New";
    const std::uint64_t tagged = MultiTag(fields);
    EXPECT_NE(machine.ReadFile("m/plain.mp3"), before.at("m/plain.mp3"));

    const auto strip = store.Begin({"test", "strip", "", std::nullopt});
    for (const char* name : {"m/tagged.mp3", "m/plain.mp3"})
        ChangeTag(machine.Sys(name), [](CId3v1Tag& tag) { tag.RemoveTag(); return false; }, false, strip.get());
    const std::uint64_t stripped = strip->Id();

    EXPECT_EQ(Undo(stripped, true).Count(UndoStep::Restored), 2u);
    EXPECT_EQ(machine.ReadFile("m/plain.mp3").size(), before.at("m/plain.mp3").size()) << "a dry run changes nothing";
    EXPECT_EQ(Undo(stripped).Count(UndoStep::Restored), 2u);
    EXPECT_EQ(Undo(tagged).Count(UndoStep::Restored), 3u);
    ExpectFiles(before);
}

TEST_F(UndoTest, AFileChangedSinceIsSkippedAndNamedAndTheOthersRestored)
{
    const auto before = MakeFolder();
    TagFields fields;
    fields[Field::Album] = "Batch";
    const std::uint64_t id = MultiTag(fields);
    ChangeTag(machine.Sys("m/plain.mp3"), [](CId3v1Tag& tag) { tag.SetTitle("Later"); return false; });
    const std::string later = machine.ReadFile("m/plain.mp3");

    const journal::UndoReport report = Undo(id);
    EXPECT_EQ(report.Count(UndoStep::Restored), 2u);
    ASSERT_EQ(report.Count(UndoStep::Skipped), 1u);
    const auto skipped = std::find_if(report.files.begin(), report.files.end(),
                                      [](const journal::UndoFile& f) { return f.step == UndoStep::Skipped; });
    EXPECT_EQ(skipped->path, machine.Host("m/plain.mp3"));
    EXPECT_EQ(skipped->reason, journal::SkipReason::ChangedSince);
    EXPECT_EQ(journal::SkipReasonText(*skipped), "it was changed since");
    EXPECT_EQ(machine.ReadFile("m/plain.mp3"), later) << "never overwritten";
    EXPECT_EQ(machine.ReadFile("m/tagged.mp3"), before.at("m/tagged.mp3"));
}

TEST_F(UndoTest, RenamesGoBackUnlessTheOldNameIsTakenAndUndoingTheUndoRedoes)
{
    const auto before = MakeFolder();
    const auto entry = store.Begin({"test", "rename-all", machine.Host("m"), std::nullopt});
    RenameOptions options;
    options.pattern = "%1 - %2";
    options.journal = entry.get();
    RenameFolderTree(machine.Sys("m"), true, options);
    const std::uint64_t id = entry->Id();
    ASSERT_TRUE(machine.Exists("m/Artist - Title.mp3"));

    const journal::UndoReport undo = Undo(id);
    EXPECT_EQ(undo.Count(UndoStep::Restored), 1u);
    ExpectFiles(before);
    EXPECT_FALSE(machine.Exists("m/Artist - Title.mp3"));

    const journal::UndoReport redo = Undo(undo.entry);
    EXPECT_EQ(redo.Count(UndoStep::Restored), 1u);
    EXPECT_TRUE(machine.Exists("m/Artist - Title.mp3"));

    machine.WriteFile("m/tagged.mp3", "a new file under the old name");
    const journal::UndoReport blocked = Undo(redo.entry);
    ASSERT_EQ(blocked.Count(UndoStep::Skipped), 1u);
    const journal::UndoFile& taken =
        *std::find_if(blocked.files.begin(), blocked.files.end(),
                      [](const journal::UndoFile& f) { return f.step == UndoStep::Skipped; });
    EXPECT_EQ(taken.reason, journal::SkipReason::OldNameTaken);
    EXPECT_EQ(journal::SkipReasonText(taken), "its old name is taken again");
    EXPECT_EQ(machine.ReadFile("m/tagged.mp3"), "a new file under the old name");
    EXPECT_TRUE(machine.Exists("m/Artist - Title.mp3"));
}

TEST_F(UndoTest, AFileStillAsBeforeIsLeftAlone)
{
    const auto before = MakeFolder();
    TagFields fields;
    fields[Field::Year] = "2001";
    const std::uint64_t id = MultiTag(fields);
    Undo(id);
    // The undo of a finished undo's target again: every file is as before.
    const auto entry = store.Read(id);
    const journal::UndoReport again = journal::UndoEntry(store, *entry, "test", true);
    EXPECT_EQ(again.Count(UndoStep::Unchanged), 3u);
    ExpectFiles(before);
}

// The window's Rename prompts for a file without a tag: the tag it saves and
// the rename that follows are one operation, and both come back, also when
// the undo is itself taken back.
TEST_F(UndoTest, AFileTaggedThenRenamedInOneOperationComesBack)
{
    const auto before = MakeFolder();
    const auto entry = store.Begin({"test", "rename", machine.Host("m"), std::nullopt});
    RenameOptions options;
    options.pattern = "%1 - %2";
    options.journal = entry.get();
    const TagEdit name = [](CId3v1Tag& tag) {
        tag.SetArtist("New");
        tag.SetTitle("Song");
        return false;
    };
    options.prompt = [&entry, &name](const std::string& path) {
        return ChangeTag(path, name, false, entry.get()).outcome.ok;
    };
    ASSERT_TRUE(RenameOneFile(machine.Sys("m"), "plain.mp3", options));
    const std::uint64_t id = entry->Id();
    ASSERT_TRUE(machine.Exists("m/New - Song.mp3"));
    const std::string after = machine.ReadFile("m/New - Song.mp3");

    const journal::UndoReport undo = Undo(id);
    EXPECT_EQ(undo.Count(UndoStep::Restored), 2u);
    EXPECT_EQ(undo.Count(UndoStep::Skipped), 0u);
    ExpectFiles(before);
    EXPECT_FALSE(machine.Exists("m/New - Song.mp3"));

    EXPECT_EQ(Undo(undo.entry).Count(UndoStep::Restored), 2u);
    EXPECT_FALSE(machine.Exists("m/plain.mp3"));
    EXPECT_EQ(machine.ReadFile("m/New - Song.mp3"), after);
}

} // namespace
