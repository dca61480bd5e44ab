#include "ops/TagFolder.h"

#include "ChildProcess.h"
#include "TagBytes.h"
#include "TempMachine.h"
#include "journal/Undo.h"
#include "ops/FolderWalk.h"
#include "platform/File.h"
#include "tag/Id3v1Tag.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using tagbytes::MakeRecord;
using tagbytes::SilentFrames;
using tagbytes::TaggedFile;

class TagFolderTest : public ::testing::Test {
protected:
    TempMachine machine;

    CId3v1Tag Read(const std::string& rel)
    {
        CId3v1Tag tag;
        EXPECT_TRUE(tag.Open(machine.Sys(rel))) << rel;
        return tag;
    }
};

TEST_F(TagFolderTest, OnlyLowerCaseMp3FilesAreWritten)
{
    const std::string audio = SilentFrames(2);
    for (const char* name : {"m/a.mp3", "m/B.MP3", "m/c.txt"})
        machine.WriteFile(name, audio);
    TagFields fields;
    fields[Field::Artist] = "Band";
    EXPECT_EQ(TagFolder(machine.Sys("m"), fields, false), 1);
    EXPECT_EQ(Read("m/a.mp3").GetArtist(), "Band");
    EXPECT_EQ(machine.ReadFile("m/B.MP3"), audio);
    EXPECT_EQ(machine.ReadFile("m/c.txt"), audio);
}

TEST_F(TagFolderTest, ChosenFieldsReplaceAndOthersStay)
{
    machine.WriteFile("m/a.mp3", TaggedFile({"Title", "Artist", "Album", "1999", "Comment", 17}));
    TagFields fields;
    fields[Field::Artist] = ""; // chosen with an empty edit: blanked
    fields[Field::Genre] = "";  // chosen without a selection: no genre
    fields[Field::Year] = "ab12x";
    EXPECT_EQ(TagFolder(machine.Sys("m"), fields, false), 1);
    const CId3v1Tag tag = Read("m/a.mp3");
    EXPECT_EQ(tag.GetArtist(), "");
    EXPECT_EQ(tag.GetRecord()[127], CId3v1Tag::kNoGenre);
    EXPECT_EQ(tag.GetYear(), "ab12");
    EXPECT_EQ(tag.GetTitle(), "Title");
    EXPECT_EQ(tag.GetAlbum(), "Album");
    EXPECT_EQ(tag.GetComment(), "Comment");
}

TEST_F(TagFolderTest, NoFieldChosenLeavesEveryFileAsItWas)
{
    const std::string untagged = SilentFrames(2);
    const std::string tagged = TaggedFile({"T", "A", "", "", "", 1});
    machine.WriteFile("m/a.mp3", untagged);
    machine.WriteFile("m/b.mp3", tagged);
    EXPECT_EQ(TagFolder(machine.Sys("m"), TagFields{}, false), 2);
    EXPECT_EQ(machine.ReadFile("m/a.mp3"), untagged);
    EXPECT_EQ(machine.ReadFile("m/b.mp3"), tagged);
}

TEST_F(TagFolderTest, SubfoldersOnlyWhenAsked)
{
    for (const char* name : {"m/a.mp3", "m/s/b.mp3", "m/s/t/c.mp3"})
        machine.WriteFile(name, SilentFrames(1));
    TagFields fields;
    fields[Field::Genre] = "Rock";
    EXPECT_EQ(TagFolder(machine.Sys("m"), fields, false), 1);
    EXPECT_FALSE(Read("m/s/b.mp3").HasTag());
    EXPECT_EQ(TagFolder(machine.Sys("m"), fields, true), 3);
    EXPECT_EQ(Read("m/s/t/c.mp3").GetGenre(), "Rock");
    EXPECT_EQ(TagFolder(machine.Sys("missing"), fields, true), 0);
}

// A write that fails (file size limit) is reported, the file keeps its bytes
// and the walk goes on with the next file.
TEST_F(TagFolderTest, FailedWriteIsReportedAndTheWalkGoesOn)
{
    const std::string big = SilentFrames(4);
    const std::string small = SilentFrames(1);
    machine.WriteFile("m/a.mp3", big);
    machine.WriteFile("m/b.mp3", small);
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{big.size() + 10, big.size() + 10};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(10);
        TagFields fields;
        fields[Field::Title] = "New";
        for (const unsigned jobs : {4u, 1u}) { // the same report from threads, which retry a failed file once
            std::vector<FileOutcome> outcomes;
            const int count = TagFolder(
                machine.Sys("m"), fields, false, [&](const FileOutcome& o) { outcomes.push_back(o); }, {jobs});
            const bool reported = outcomes.size() == 2 && !outcomes[0].ok && outcomes[0].error == EFBIG &&
                                  outcomes[0].path == "C:\\m\\a.mp3" && outcomes[1].ok;
            if (count != 2 || !reported) _exit(11);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(machine.ReadFile("m/a.mp3"), big);
    EXPECT_EQ(Read("m/b.mp3").GetTitle(), "New");
}

// MultiTag writes through no link that leads outside its folder (unless
// asked to): the link is reported and not counted; a link inside is written.
TEST_F(TagFolderTest, LinksLeadingOutsideAreSkippedAndNamed)
{
    const std::string original = TaggedFile({"T", "Old", "", "", "", 1});
    machine.WriteFile("m/a.mp3", original);
    machine.WriteFile("outside/x.mp3", original);
    machine.WriteFile("outside/dir/y.mp3", original);
    std::filesystem::create_symlink("../outside/x.mp3", machine.Host("m/file.mp3"));
    std::filesystem::create_directory_symlink("../outside/dir", machine.Host("m/folder"));
    std::filesystem::create_symlink("a.mp3", machine.Host("m/inside.mp3"));
    const struct {
        bool followLinks;
        int count;
        std::vector<std::string> skipped;
        const char* outsideArtist;
    } cases[] = {
        {false, 2, {"C:\\m\\file.mp3", "C:\\m\\folder"}, "Old"},
        {true, 4, {}, "New"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.followLinks ? "following links" : "staying inside");
        TagFields fields;
        fields[Field::Artist] = "New";
        std::vector<std::string> skipped;
        const int count = TagFolder(
            machine.Sys("m"), fields, true,
            [&](const FileOutcome& o) {
                if (!o.ok && o.reason == kLinkOutsideReason) {
                    skipped.push_back(o.path);
                } else {
                    EXPECT_TRUE(o.ok) << o.path << ": " << o.reason;
                }
            },
            {1, c.followLinks});
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(skipped, c.skipped);
        EXPECT_EQ(Read("m/a.mp3").GetArtist(), "New");
        EXPECT_EQ(Read("outside/x.mp3").GetArtist(), c.outsideArtist);
        EXPECT_EQ(Read("outside/dir/y.mp3").GetArtist(), c.outsideArtist);
    }
}

// A file with no write bit is read-only for root too: MultiTag reports it as
// a failed write (EACCES), counts it as processed and leaves its bytes.
TEST_F(TagFolderTest, ReadOnlyFileIsReportedAndKeepsItsBytes)
{
    const std::string original = TaggedFile({"T", "Old", "", "", "", 1});
    machine.WriteFile("m/a.mp3", original);
    machine.WriteFile("m/b.mp3", original);
    chmod(machine.Host("m/a.mp3").c_str(), 0444);
    chmod(machine.Host("m/b.mp3").c_str(), 0666); // writable by nobody too
    chmod(machine.Host("m").c_str(), 0777);
    for (const std::string& up : {machine.Root(), machine.Root() + "/.."})
        chmod(up.c_str(), 0711);
    TagFields fields;
    fields[Field::Artist] = "New";
    const auto run = [&] {
        std::vector<FileOutcome> outcomes;
        const int count =
            TagFolder(machine.Sys("m"), fields, false, [&](const FileOutcome& o) { outcomes.push_back(o); });
        const bool reported = outcomes.size() == 2 && !outcomes[0].ok && outcomes[0].error == EACCES &&
                              outcomes[0].reason == "cannot write" && outcomes[1].ok;
        return count == 2 && reported ? 0 : 1;
    };
    EXPECT_EQ(run(), 0) << "as this user";
    if (geteuid() == 0) {
        EXPECT_EQ(RunInChild([&] { return BecomeNobody() ? run() : 10; }), 0) << "as nobody";
    }
    EXPECT_EQ(machine.ReadFile("m/a.mp3"), original);
    EXPECT_EQ(Read("m/b.mp3").GetArtist(), "New");
}

// The journal names the files changed: a file that cannot be written is
// reported, but never recorded as if it had been.
TEST_F(TagFolderTest, AReadOnlyFileIsNotJournalled)
{
    const journal::CJournalStore store(machine.Host(".state/journal"));
    const std::string original = TaggedFile({"T", "Old", "", "", "", 1});
    machine.WriteFile("ro/a.mp3", original);
    machine.WriteFile("ro/b.mp3", original);
    chmod(machine.Host("ro/a.mp3").c_str(), 0444); // read-only for root too
    TagFields fields;
    fields[Field::Artist] = "New";
    for (const unsigned jobs : {1u, 3u}) {
        SCOPED_TRACE(jobs);
        std::uint64_t id = 0;
        std::vector<FileOutcome> outcomes;
        {
            const auto entry = store.Begin({"test", "multitag", machine.Host("ro"), std::nullopt});
            id = entry->Id();
            TagFolderOptions options{jobs};
            options.journal = entry.get();
            TagFolder(machine.Sys("ro"), fields, false, [&](const FileOutcome& o) { outcomes.push_back(o); }, options);
        }
        ASSERT_EQ(outcomes.size(), 2u);
        EXPECT_FALSE(outcomes[0].ok);
        EXPECT_EQ(outcomes[0].error, EACCES);
        EXPECT_EQ(outcomes[0].reason, "cannot write");
        EXPECT_TRUE(outcomes[1].ok);
        const auto entry = store.Read(id);
        ASSERT_TRUE(entry);
        ASSERT_EQ(entry->records.size(), 1u);
        EXPECT_EQ(entry->records[0].path, machine.Host("ro/b.mp3"));
        EXPECT_EQ(machine.ReadFile("ro/a.mp3"), original);
    }
}

// One tree, built twice: hard links within and across folders (one file
// under two names, whose locks collide when written at once), upper-case
// names that are passed over, and one file held open by another opener.
void BuildTree(const TempMachine& machine, const std::string& top)
{
    machine.MakeDir(top + "/a/b");
    const auto hardLink = [&](const std::string& from, const std::string& to) {
        return link(machine.Host(from).c_str(), machine.Host(to).c_str()) == 0;
    };
    for (int i = 0; i < 150; ++i) {
        const std::string number = std::to_string(i);
        const std::string name = top + "/a/" + number + ".mp3";
        machine.WriteFile(name, i % 2 ? TaggedFile({"T" + number, "A", "", "", "", 1}) : SilentFrames(1));
        // Sorted next to each other, so that two threads take both names at once.
        ASSERT_TRUE(i % 2 != 0 || hardLink(name, top + "/a/" + number + ".b.mp3"));
        ASSERT_TRUE(i % 7 != 0 || hardLink(name, top + "/a/b/link" + number + ".mp3"));
    }
    machine.WriteFile(top + "/a/b/UPPER.MP3", SilentFrames(1));
    machine.WriteFile(top + "/a/b/c/deep.mp3", TaggedFile({"D", "E", "", "", "", 2}));
    machine.WriteFile(top + "/a/held.mp3", SilentFrames(2));
}

std::vector<FileOutcome> TagTree(const TempMachine& machine, const std::string& top, unsigned jobs, int& count)
{
    std::vector<FileOutcome> outcomes;
    TagFields fields;
    fields[Field::Artist] = "Threads";
    fields[Field::Comment] = "same bytes";
    count = TagFolder(
        machine.Sys(top), fields, true, [&](const FileOutcome& o) { outcomes.push_back(o); }, {jobs});
    return outcomes;
}

TEST_F(TagFolderTest, ThreadsWriteTheBytesAndReportsOfOneThread)
{
    BuildTree(machine, "one");
    BuildTree(machine, "two");
    platform::CFile holdOne, holdTwo;
    ASSERT_TRUE(holdOne.Open(machine.Sys("one/a/held.mp3"), platform::CFile::modeRead));
    ASSERT_TRUE(holdTwo.Open(machine.Sys("two/a/held.mp3"), platform::CFile::modeRead));
    int countOne = 0, countTwo = 0;
    const std::vector<FileOutcome> one = TagTree(machine, "one", 1, countOne);
    const std::vector<FileOutcome> two = TagTree(machine, "two", 4, countTwo);

    EXPECT_EQ(countOne, 150 + 75 + 22 + 1); // held.mp3 could not be opened
    EXPECT_EQ(countTwo, countOne);
    ASSERT_EQ(two.size(), one.size());
    for (std::size_t i = 0; i < one.size(); ++i) {
        SCOPED_TRACE(one[i].path);
        std::string path = one[i].path;
        path.replace(path.find("one"), 3, "two");
        EXPECT_EQ(two[i].path, path);
        EXPECT_EQ(two[i].ok, one[i].ok);
        EXPECT_EQ(two[i].reason, one[i].reason);
        EXPECT_EQ(one[i].ok, one[i].path.find("held") == std::string::npos);
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(machine.Host("one"))) {
        if (!entry.is_regular_file()) continue;
        const std::string rel = std::filesystem::relative(entry.path(), machine.Host("one")).string();
        SCOPED_TRACE(rel);
        EXPECT_EQ(machine.ReadFile("two/" + rel), machine.ReadFile("one/" + rel));
    }
    EXPECT_EQ(Read("two/a/10.b.mp3").GetArtist(), "Threads");
    EXPECT_EQ(machine.ReadFile("two/a/b/UPPER.MP3"), SilentFrames(1));
}

// One thread keeps a journalled batch's files open from read to write; two
// names of one file in that batch still both end written, and undo brings
// the file back as it was.
TEST_F(TagFolderTest, HardLinksInOneHeldBatchAreBothWritten)
{
    const journal::CJournalStore store(machine.Host(".state/journal"));
    const std::string before = TaggedFile({"T", "Old", "", "", "", 7});
    machine.WriteFile("l/a.mp3", before);
    machine.WriteFile("l/c.mp3", before);
    ASSERT_EQ(link(machine.Host("l/a.mp3").c_str(), machine.Host("l/b.mp3").c_str()), 0);
    TagFields fields;
    fields[Field::Artist] = "Linked";
    for (const unsigned jobs : {1u, 4u}) {
        SCOPED_TRACE(jobs);
        std::vector<FileOutcome> outcomes;
        TagFolderOptions options{jobs};
        std::uint64_t id = 0;
        {
            const auto entry = store.Begin({"test", "multitag", machine.Host("l"), std::nullopt});
            options.journal = entry.get();
            id = entry->Id();
            EXPECT_EQ(TagFolder(machine.Sys("l"), fields, false,
                                [&](const FileOutcome& outcome) { outcomes.push_back(outcome); }, options),
                      3);
        }
        ASSERT_EQ(outcomes.size(), 3u);
        for (const FileOutcome& outcome : outcomes)
            EXPECT_TRUE(outcome.ok) << outcome.path << ": " << outcome.reason;
        for (const char* name : {"l/a.mp3", "l/b.mp3", "l/c.mp3"})
            EXPECT_EQ(Read(name).GetArtist(), "Linked") << name;
        const auto entry = store.Read(id);
        ASSERT_TRUE(entry);
        journal::UndoEntry(store, *entry, "test", false);
        EXPECT_EQ(machine.ReadFile("l/a.mp3"), before);
        EXPECT_EQ(machine.ReadFile("l/c.mp3"), before);
    }
}

// A batch opens its files from their folders, up to a number of folders;
// the files of the folders past it open by their path. Either way every
// file is written, journalled by its own path, and undo brings it back.
TEST_F(TagFolderTest, ABatchOverManyFoldersWritesAndJournalsEveryFile)
{
    const journal::CJournalStore store(machine.Host(".state/journal"));
    const std::string before = TaggedFile({"T", "Old", "", "", "", 7});
    std::vector<std::string> files;
    for (int i = 0; i < 80; ++i) {
        files.push_back("many/" + std::to_string(i) + "/a.mp3");
        machine.WriteFile(files.back(), before);
    }
    TagFields fields;
    fields[Field::Artist] = "Everywhere";
    for (const unsigned jobs : {1u, 3u}) {
        SCOPED_TRACE(jobs);
        std::uint64_t id = 0;
        {
            const auto entry = store.Begin({"test", "multitag", machine.Host("many"), std::nullopt});
            id = entry->Id();
            TagFolderOptions options{jobs};
            options.journal = entry.get();
            EXPECT_EQ(TagFolder(machine.Sys("many"), fields, true, {}, options), 80);
        }
        for (const std::string& file : files)
            EXPECT_EQ(Read(file).GetArtist(), "Everywhere") << file;
        const auto entry = store.Read(id);
        ASSERT_TRUE(entry);
        std::set<std::string> journalled;
        for (const journal::Record& record : entry->records)
            journalled.insert(record.path);
        std::set<std::string> expected;
        for (const std::string& file : files)
            expected.insert(machine.Host(file));
        EXPECT_EQ(journalled, expected);
        journal::UndoEntry(store, *entry, "test", false);
        for (const std::string& file : files)
            EXPECT_EQ(machine.ReadFile(file), before) << file;
    }
}

// A batch is read, journalled and written in parts of 1024 files, the next
// part read while the one before waits for the journal: three names of one
// file, two in the first part and one in the second, all end written, and
// undo brings every file back.
TEST_F(TagFolderTest, NamesOfOneFileInTwoPartsOfABatchAreAllWritten)
{
    const journal::CJournalStore store(machine.Host(".state/journal"));
    const std::string before = TaggedFile({"T", "Old", "", "", "", 7});
    const auto name = [](int i) { return "parts/" + std::string(i < 1000 ? "0" : "").append(std::to_string(i)) + ".mp3"; };
    for (int i = 0; i < 1100; ++i)
        if (i != 1 && i != 1050) machine.WriteFile(name(i), before);
    for (const int i : {1, 1050})
        ASSERT_EQ(link(machine.Host(name(0)).c_str(), machine.Host(name(i)).c_str()), 0);
    TagFields fields;
    fields[Field::Artist] = "Parts";
    for (const unsigned jobs : {1u, 3u}) {
        SCOPED_TRACE(jobs);
        std::vector<FileOutcome> failed;
        std::uint64_t id = 0;
        {
            const auto entry = store.Begin({"test", "multitag", machine.Host("parts"), std::nullopt});
            id = entry->Id();
            TagFolderOptions options{jobs};
            options.journal = entry.get();
            const auto sink = [&](const FileOutcome& outcome) {
                if (!outcome.ok) failed.push_back(outcome);
            };
            EXPECT_EQ(TagFolder(machine.Sys("parts"), fields, false, sink, options), 1100);
        }
        for (const FileOutcome& outcome : failed)
            ADD_FAILURE() << outcome.path << ": " << outcome.reason;
        for (const int i : {0, 1, 2, 1049, 1050, 1099})
            EXPECT_EQ(Read(name(i)).GetArtist(), "Parts") << name(i);
        const auto entry = store.Read(id);
        ASSERT_TRUE(entry);
        journal::UndoEntry(store, *entry, "test", false);
        for (int i = 0; i < 1100; ++i)
            ASSERT_EQ(machine.ReadFile(name(i)), before) << name(i);
    }
}

// A tree of 60 files in two folders, tagged and untagged: rel path by walk order.
std::vector<std::string> BuildStopTree(const TempMachine& machine, const std::string& top)
{
    std::vector<std::string> files;
    for (const char* folder : {"", "sub/"})
        for (int i = 0; i < 30; ++i) {
            const std::string number = std::string(i < 10 ? "0" : "").append(std::to_string(i));
            const std::string rel = top + "/" + folder + number + ".mp3";
            machine.WriteFile(rel, i % 3 ? TaggedFile({"T" + number, "Old", "", "", "", 7}) : SilentFrames(1));
            files.push_back(rel);
        }
    return files;
}

// Stopped after a few files, or as the walk enters a folder, MultiTag has
// written a first part of the walk whole and left the rest byte for byte;
// the journal names exactly the files written, and undo brings exactly those back.
TEST_F(TagFolderTest, AStopEndsBetweenTwoFilesAndTheJournalNamesTheFilesWritten)
{
    const journal::CJournalStore store(machine.Host(".state/journal"));
    TagFields fields;
    fields[Field::Artist] = "New";
    const struct {
        const char* what;
        std::function<bool(const WorkProgress&, const std::string& top)> stopHere;
        // A stop after a file may fall inside a journalled batch, which is
        // written to its end; one on entering a folder drops the files taken
        // but not journalled, so nothing is written after it.
        bool writesOnlyWhatWasTold;
    } cases[] = {
        {"after five files", [](const WorkProgress& p, const std::string&) { return p.done >= 5; }, false},
        {"entering the subfolder",
         [this](const WorkProgress& p, const std::string& top) { return p.folder == machine.Sys(top + "/sub"); }, true},
    };
    int run = 0;
    for (const auto& c : cases)
        for (const unsigned jobs : {1u, 4u}) {
            SCOPED_TRACE(testing::Message() << c.what << ", " << jobs << " jobs");
            const std::string top = "run" + std::to_string(++run);
            const std::vector<std::string> files = BuildStopTree(machine, top);
            const std::vector<std::string> reference = BuildStopTree(machine, top + "ref");
            std::map<std::string, std::string> before;
            for (const std::string& rel : files)
                before[rel] = machine.ReadFile(rel);
            ASSERT_EQ(TagFolder(machine.Sys(top + "ref"), fields, true), 60);

            std::vector<WorkProgress> told;
            bool stopSaid = false, toldAfterStop = false;
            TagFolderOptions options{jobs};
            options.progress = [&](const WorkProgress& progress) {
                toldAfterStop = toldAfterStop || stopSaid;
                told.push_back(progress);
                stopSaid = c.stopHere(progress, top);
                return !stopSaid;
            };
            std::uint64_t id = 0;
            int count = 0;
            {
                const auto entry = store.Begin({"test", "multitag", machine.Host(top), std::nullopt});
                options.journal = entry.get();
                id = entry->Id();
                count = TagFolder(machine.Sys(top), fields, true, {}, options);
            }
            EXPECT_FALSE(toldAfterStop);
            ASSERT_TRUE(stopSaid);
            EXPECT_EQ(told.front().folder, machine.Sys(top));
            for (const WorkProgress& progress : told)
                EXPECT_LE(progress.done, progress.found);
            EXPECT_LT(count, 60) << "the walk went on after the stop";
            if (c.writesOnlyWhatWasTold)
                EXPECT_EQ(static_cast<std::size_t>(count), told.back().done);
            else
                EXPECT_LE(told.back().done, static_cast<std::size_t>(count));

            // The first count files of the walk are written, the others are as they were.
            std::set<std::string> written;
            for (std::size_t i = 0; i < files.size(); ++i) {
                SCOPED_TRACE(files[i]);
                const std::string now = machine.ReadFile(files[i]);
                if (i < static_cast<std::size_t>(count)) {
                    EXPECT_EQ(now, machine.ReadFile(reference[i]));
                    written.insert(machine.Host(files[i]));
                } else {
                    EXPECT_EQ(now, before.at(files[i]));
                }
            }
            const auto entry = store.Read(id);
            ASSERT_TRUE(entry);
            std::set<std::string> journalled;
            for (const journal::Record& record : entry->records)
                journalled.insert(record.path);
            EXPECT_EQ(journalled, written);

            const journal::UndoReport undo = journal::UndoEntry(store, *entry, "test", false);
            EXPECT_EQ(undo.Count(journal::UndoStep::Restored), written.size());
            for (const std::string& rel : files)
                EXPECT_EQ(machine.ReadFile(rel), before.at(rel)) << rel;
        }
}

// Without a stop the hook sees every file and every folder of the walk.
TEST_F(TagFolderTest, ProgressCountsEveryFileAndNamesEachFolder)
{
    BuildStopTree(machine, "m");
    std::vector<std::string> folders;
    WorkProgress last;
    TagFolderOptions options;
    options.progress = [&](const WorkProgress& progress) {
        if (folders.empty() || folders.back() != progress.folder) folders.push_back(progress.folder);
        last = progress;
        return true;
    };
    TagFields fields;
    fields[Field::Album] = "All";
    EXPECT_EQ(TagFolder(machine.Sys("m"), fields, true, {}, options), 60);
    EXPECT_EQ(last.done, 60u);
    EXPECT_EQ(last.found, 60u);
    EXPECT_EQ(folders, (std::vector<std::string>{"C:\\m", "C:\\m\\sub"}));
}

} // namespace
