#include "ops/FileListing.h"

#include "TagBytes.h"
#include "TempMachine.h"
#include "platform/File.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using tagbytes::SilentFrames;
using tagbytes::TaggedFile;

class FileListingTest : public ::testing::Test {
protected:
    TempMachine machine;
};

struct RowCase {
    const char* name;
    bool opened;
    RowState state;
    const char* artist;
};

TEST_F(FileListingTest, RowsCarryStateSizeAndFields)
{
    const std::string tagged = TaggedFile({"Tit", "Art", "Alb", "1999", "Com", 13});
    machine.WriteFile("m/Art - Tit.mp3", tagged);
    // Named by the pattern but for the case of one letter.
    machine.WriteFile("m/bob - X.mp3", TaggedFile({"X", "Bob", "", "", "", 13}));
    machine.WriteFile("m/other.mp3", tagged);
    machine.WriteFile("m/plain.Mp3", SilentFrames(1));
    machine.WriteFile("m/ - .mp3", SilentFrames(1)); // the pattern's name for empty fields
    machine.WriteFile("m/zero.mp3", "");
    machine.WriteFile("m/notes.txt", "x");
    machine.MakeDir("m/x.mp3");

    const FileListing listing = ListFolder(machine.Sys("m"), "%1 - %2");
    const RowCase expected[] = {
        {" - .mp3", true, RowState::Match, ""},         {"Art - Tit.mp3", true, RowState::Match, "Art"},
        {"bob - X.mp3", true, RowState::Tagged, "Bob"}, {"other.mp3", true, RowState::Tagged, "Art"},
        {"plain.Mp3", true, RowState::Untagged, ""},    {"x.mp3", false, RowState::Untagged, ""},
        {"zero.mp3", true, RowState::Untagged, ""},
    };
    ASSERT_EQ(listing.rows.size(), std::size(expected));
    for (std::size_t i = 0; i < listing.rows.size(); ++i) {
        const FileRow& row = listing.rows[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.name, expected[i].name);
        EXPECT_EQ(row.opened, expected[i].opened);
        EXPECT_EQ(row.state, expected[i].state);
        EXPECT_EQ(row.Get(Field::Artist), expected[i].artist);
        EXPECT_EQ(row.sizeText.empty(), !row.opened || row.size == 0);
    }
    const FileRow& other = listing.rows[3];
    EXPECT_EQ(other.size, tagged.size());
    EXPECT_EQ(other.sizeText, "1.00 KB");
    EXPECT_EQ(other.Get(Field::Title), "Tit");
    EXPECT_EQ(other.Get(Field::Album), "Alb");
    EXPECT_EQ(other.Get(Field::Year), "1999");
    EXPECT_EQ(other.Get(Field::Genre), "Pop");
    EXPECT_EQ(other.Get(Field::Comment), "Com");
    EXPECT_EQ(listing.count, 7);
    EXPECT_EQ(listing.total, 3 * tagged.size() + 2 * SilentFrames(1).size());
}

TEST_F(FileListingTest, FileInUseIsCountedWithoutSize)
{
    machine.WriteFile("m/a.mp3", TaggedFile({"T", "A", "", "", "", 1}));
    machine.WriteFile("m/b.mp3", SilentFrames(1));
    platform::CFile holder;
    ASSERT_TRUE(holder.Open(machine.Sys("m/a.mp3"), platform::CFile::modeRead));
    const FileListing listing = ListFolder(machine.Sys("m"), "%1");
    ASSERT_EQ(listing.rows.size(), 2u);
    EXPECT_FALSE(listing.rows[0].opened);
    EXPECT_EQ(listing.rows[0].state, RowState::Untagged);
    EXPECT_EQ(listing.rows[0].Get(Field::Artist), "");
    EXPECT_EQ(listing.count, 2);
    EXPECT_EQ(listing.total, SilentFrames(1).size());
}

TEST_F(FileListingTest, EmptyOrMissingFolderGivesNoRows)
{
    machine.MakeDir("empty");
    for (const char* folder : {"empty", "missing"}) {
        SCOPED_TRACE(folder);
        const FileListing listing = ListFolder(machine.Sys(folder), "%1");
        EXPECT_TRUE(listing.rows.empty());
        EXPECT_EQ(listing.count, 0);
        EXPECT_EQ(SummaryText(listing.count, listing.total, "Dateien"), "0 Dateien, ");
    }
}

void ExpectSameRows(const FileListing& one, const FileListing& other)
{
    EXPECT_EQ(one.count, other.count);
    EXPECT_EQ(one.total, other.total);
    ASSERT_EQ(one.rows.size(), other.rows.size());
    for (std::size_t i = 0; i < one.rows.size(); ++i) {
        const FileRow& a = one.rows[i];
        const FileRow& b = other.rows[i];
        SCOPED_TRACE(a.name);
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.opened, b.opened);
        EXPECT_EQ(a.hasTag, b.hasTag);
        EXPECT_EQ(a.size, b.size);
        EXPECT_EQ(a.sizeText, b.sizeText);
        EXPECT_EQ(a.state, b.state);
        EXPECT_EQ(a.fields, b.fields);
        EXPECT_EQ(a.hasId3v2, b.hasId3v2);
        EXPECT_EQ(a.track, b.track);
        EXPECT_EQ(a.genreByte, b.genreByte);
    }
}

// Threads and batches must not change a single row: hard links (one file
// under two names, whose locks collide when read at the same moment or in
// one batch), a file held by another opener, a folder that matches the
// pattern and files with an ID3v2 head, across several folders.
TEST_F(FileListingTest, ThreadsAndBatchesGiveTheRowsOfOneFileAtATime)
{
    const std::vector<std::string> folders = {"m", "m/sub", "n", "empty"};
    for (const std::string& folder : folders)
        machine.MakeDir(folder);
    const auto hardLink = [&](const std::string& from, const std::string& to) {
        return link(machine.Host(from).c_str(), machine.Host(to).c_str()) == 0;
    };
    for (int i = 0; i < 120; ++i) {
        const std::string number = std::to_string(i);
        const std::string name = "m/" + number + ".mp3";
        machine.WriteFile(name, i % 3 ? TaggedFile({"T" + number, "A", "", "", "", 1}) : SilentFrames(1));
        ASSERT_TRUE(hardLink(name, "n/link" + number + ".mp3"));
        // Sorted next to each other, so that two threads take both names at once.
        ASSERT_TRUE(i % 2 == 0 || hardLink(name, "m/" + number + ".b.mp3"));
    }
    machine.WriteFile("m/sub/A - T1.mp3", TaggedFile({"T1", "A", "", "", "", 1}));
    machine.WriteFile("m/sub/v2.mp3", std::string("ID3").append(TaggedFile({"T2", "A", "", "", "", 1})));
    machine.WriteFile("m/sub/short.mp3", "ID");
    machine.MakeDir("m/folder.mp3");
    platform::CFile holder;
    ASSERT_TRUE(holder.Open(machine.Sys("m/6.mp3"), platform::CFile::modeRead));

    std::vector<std::string> systemFolders;
    for (const std::string& folder : folders)
        systemFolders.push_back(machine.Sys(folder));
    const std::vector<FileListing> together = ListFolders(systemFolders, "%1 - %2", {.jobs = 4});
    ASSERT_EQ(together.size(), folders.size());
    for (std::size_t i = 0; i < folders.size(); ++i) {
        SCOPED_TRACE(folders[i]);
        const FileListing alone = ListFolder(systemFolders[i], "%1 - %2", {.jobs = 1, .batched = false});
        ExpectSameRows(together[i], alone);
        ExpectSameRows(ListFolder(systemFolders[i], "%1 - %2", {.jobs = 1}), alone);
        ExpectSameRows(ListFolder(systemFolders[i], "%1 - %2", {.jobs = 3}), alone);
    }
    // The held file and the folder are the rows that could not be read.
    int unread = 0;
    for (const FileRow& row : together[0].rows)
        unread += row.opened ? 0 : 1;
    EXPECT_EQ(unread, 2);
    EXPECT_EQ(together[1].rows.at(0).state, RowState::Match);
    EXPECT_TRUE(together[1].rows.at(2).hasId3v2);
}

// A user who stops a slow fill sees the rows read so far, each whole and in
// the finder's order; the counters tell how far the search and reads got.
TEST_F(FileListingTest, AStopKeepsOnlyTheRowsReadWholeInOrder)
{
    constexpr std::size_t kFiles = 400;
    for (std::size_t i = 0; i < kFiles; ++i) {
        const std::string number = std::to_string(1000 + i);
        machine.WriteFile("m/" + number + ".mp3", TaggedFile({"T" + number, "A" + number, "", "", "", 1}));
    }
    const std::string folder = machine.Sys("m");
    const FileListing whole = ListFolder(folder, "%1");
    ASSERT_EQ(whole.rows.size(), kFiles);

    for (const unsigned jobs : {1u, 4u}) {
        SCOPED_TRACE(jobs);
        std::atomic<std::size_t> found = 0, read = 0;
        std::atomic<bool> stop = true;
        EXPECT_TRUE(
            ListFolder(folder, "%1", {.jobs = jobs, .found = &found, .read = &read, .stop = &stop}).rows.empty());
        EXPECT_EQ(read, 0u);

        // The stop comes from another thread once some rows are read, as
        // the window's Esc does.
        stop = false;
        found = 0;
        read = 0;
        std::thread user([&] {
            while (read < 50)
                std::this_thread::yield();
            stop = true;
        });
        const FileListing part =
            ListFolder(folder, "%1", {.jobs = jobs, .found = &found, .read = &read, .stop = &stop});
        user.join();
        EXPECT_EQ(found, kFiles);
        EXPECT_EQ(part.rows.size(), read.load());
        EXPECT_GE(part.rows.size(), 50u);
        EXPECT_EQ(part.count, static_cast<int>(part.rows.size()));
        std::uint64_t total = 0;
        std::size_t at = 0; // the same row of the whole listing
        for (const FileRow& row : part.rows) {
            while (at < whole.rows.size() && whole.rows[at].name != row.name)
                ++at;
            ASSERT_LT(at, whole.rows.size()) << row.name << " out of order";
            EXPECT_TRUE(row.opened);
            EXPECT_EQ(row.fields, whole.rows[at].fields);
            EXPECT_EQ(row.state, whole.rows[at].state);
            total += row.size;
        }
        EXPECT_EQ(part.total, total);
    }
}

TEST(SummaryText, CountWordAndTotal)
{
    EXPECT_EQ(SummaryText(12, 3500000, "Dateien"), "12 Dateien, 3.34 MB");
    EXPECT_EQ(SummaryText(1, 5, "files"), "1 files, 5 Byte");
}

} // namespace
