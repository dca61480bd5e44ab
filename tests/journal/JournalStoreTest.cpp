#include "journal/JournalStore.h"
#include "journal/Undo.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>

namespace {

using journal::CJournalStore;
using journal::EntryInfo;
using journal::Record;
using journal::RecordKind;

Record MoveRecord(int n)
{
    return {RecordKind::Move, {1, static_cast<std::uint64_t>(n)}, std::string("/m/").append(std::to_string(n)), "/m/new", {}, {}, {}, {}};
}

class JournalStoreTest : public ::testing::Test {
protected:
    TempMachine machine;
    CJournalStore store{machine.Host(".state/sonadex-pro/journal")};
};

TEST_F(JournalStoreTest, EntriesAreNumberedInOrderAndKeepTheirRecords)
{
    {
        const auto first = store.Begin({"sonadex-cli", "multitag", "/m", std::nullopt});
        first->Add(MoveRecord(1));
        first->Add(MoveRecord(2));
        first->Commit();
        EXPECT_EQ(first->Id(), 1u);
    }
    {
        const auto empty = store.Begin({"sonadex", "delete", "", std::nullopt});
        EXPECT_EQ(empty->Id(), 2u);
    }
    const auto third = store.Begin({"sonadex", "rename", "", std::nullopt});
    EXPECT_EQ(third->Id(), 3u) << "a number is never given twice, though the empty entry is gone";
    third->AddAndCommit(MoveRecord(3));

    const std::vector<EntryInfo> entries = store.List();
    ASSERT_EQ(entries.size(), 2u) << "an entry that recorded nothing is removed";
    EXPECT_EQ(entries[0].header.command, "multitag");
    EXPECT_EQ(entries[0].header.folder, "/m");
    EXPECT_TRUE(entries[0].finished);
    EXPECT_EQ(entries[1].id, 3u);
    EXPECT_TRUE(entries[1].running) << "its program still writes it";
    EXPECT_FALSE(entries[1].finished);
    const auto read = store.Read(1);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->records, (std::vector<Record>{MoveRecord(1), MoveRecord(2)}));
}

TEST_F(JournalStoreTest, ARecordCutShortByACrashIsDroppedAndTheEntryReadsAsInterrupted)
{
    {
        const auto entry = store.Begin({"sonadex-cli", "set", "", std::nullopt});
        entry->AddAndCommit(MoveRecord(1));
    }
    const std::string path = machine.Host(".state/sonadex-pro/journal/00000001.entry");
    std::string text = machine.ReadFile(".state/sonadex-pro/journal/00000001.entry");
    text = text.substr(0, text.rfind("end\n")) + journal::FormatRecord(MoveRecord(2)).substr(0, 20);
    std::ofstream(path, std::ios::trunc) << text;
    const auto read = store.Read(1);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->records, std::vector<Record>{MoveRecord(1)});
    EXPECT_FALSE(read->info.finished);
    EXPECT_FALSE(read->info.running);
}

TEST_F(JournalStoreTest, TwoProgramsWritingAtOnceLoseNoEntry)
{
    constexpr int kEach = 40;
    std::vector<pid_t> children;
    for (int program = 0; program < 2; ++program) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < kEach; ++i) {
                const auto entry = store.Begin({std::string("p").append(std::to_string(program)), "set", "", std::nullopt});
                entry->AddAndCommit(MoveRecord(program * 1000 + i));
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::vector<EntryInfo> entries = store.List();
    ASSERT_EQ(entries.size(), 2u * kEach);
    std::set<std::uint64_t> moved;
    for (const EntryInfo& info : entries) {
        const auto entry = store.Read(info.id);
        ASSERT_TRUE(entry && entry->records.size() == 1);
        moved.insert(entry->records.front().identity.inode);
    }
    EXPECT_EQ(moved.size(), 2u * kEach);
}

TEST_F(JournalStoreTest, OnlyTheNewestEntriesAreKept)
{
    for (std::size_t i = 0; i < journal::kKeptEntries + 3; ++i)
        store.Begin({"sonadex-cli", "set", "", std::nullopt})->AddAndCommit(MoveRecord(static_cast<int>(i)));
    const std::vector<EntryInfo> entries = store.List();
    ASSERT_EQ(entries.size(), journal::kKeptEntries);
    EXPECT_EQ(entries.front().id, 4u);
    EXPECT_EQ(entries.back().id, journal::kKeptEntries + 3);
}

TEST_F(JournalStoreTest, AJournalThatCannotBeWrittenRaises)
{
    machine.WriteFile(".blocked", "a file where the folder should be");
    const CJournalStore blocked(machine.Host(".blocked/journal"));
    EXPECT_THROW(blocked.Begin({"sonadex-cli", "set", "", std::nullopt}), journal::JournalError);
}

EntryInfo Info(std::uint64_t id, std::optional<std::uint64_t> undoes = std::nullopt, bool running = false)
{
    EntryInfo info;
    info.id = id;
    info.header.undoes = undoes;
    info.running = running;
    return info;
}

TEST(UndoChoiceTest, APlainUndoGoesToTheNewestOperationStillInEffect)
{
    struct Case {
        const char* what;
        std::vector<EntryInfo> entries;
        std::optional<std::uint64_t> newest;
    };
    const std::vector<Case> cases = {
        {"empty journal", {}, std::nullopt},
        {"one operation", {Info(1)}, 1},
        {"undone: the next older", {Info(1), Info(2), Info(3, 2)}, 1},
        {"all undone", {Info(1), Info(2, 1)}, std::nullopt},
        {"undo undone (redo): in effect again", {Info(1), Info(2, 1), Info(3, 2)}, 1},
        {"a running operation is passed by", {Info(1), Info(2, std::nullopt, true)}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(journal::NewestUndoable(c.entries), c.newest);
    }
    const std::vector<EntryInfo> entries = {Info(1), Info(2, 1)};
    EXPECT_NE(journal::WhyNotUndoable(entries, 1).find("already been undone"), std::string::npos);
    EXPECT_EQ(journal::WhyNotUndoable(entries, 2), "") << "undoing the undo does the operation again";
    EXPECT_NE(journal::WhyNotUndoable(entries, 9).find("no operation 9"), std::string::npos);
}

} // namespace
