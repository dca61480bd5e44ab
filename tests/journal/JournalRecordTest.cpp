#include "journal/JournalRecord.h"

#include <gtest/gtest.h>

namespace {

using journal::Record;
using journal::RecordKind;

TEST(JournalRecordTest, EveryKindSurvivesItsLineWithAnyBytes)
{
    const std::string odd("a b\n\xff\x00/\\%", 10); // space, newline, high and zero bytes
    Record tag{RecordKind::Tag, {64769, 1234567}, "/m/" + odd, {}, {5128, std::string(128, '\x7f')}, {5000, {}}, {}, {}};
    Record move{RecordKind::Move, {1, 2}, "/m/old " + odd, "/m/new\n.mp3", {}, {}, {}, {}};
    Record trashIntent{RecordKind::Trash, {3, 4}, "/m/x.mp3", {}, {}, {}, {}, {}};
    Record trashed{RecordKind::Trash, {3, 4}, "/m/x.mp3", {}, {}, {}, "/home/u/.local/share/Trash", "x.2.mp3"};
    Record restore{RecordKind::Restore, {3, 4}, "/m/x.mp3", {}, {}, {}, "/mnt/.Trash-0", odd};
    for (const Record& record : {tag, move, trashIntent, trashed, restore}) {
        const std::string line = journal::FormatRecord(record);
        SCOPED_TRACE(line);
        EXPECT_EQ(line.find('\n'), std::string::npos) << "one record is one line";
        const auto parsed = journal::ParseRecord(line);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(*parsed, record);
    }
}

TEST(JournalRecordTest, LinesThatAreNoRecordAreRefused)
{
    const Record move{RecordKind::Move, {1, 2}, "/m/a.mp3", "/m/b.mp3", {}, {}, {}, {}};
    const std::string line = journal::FormatRecord(move);
    for (const std::string& bad : {std::string(), std::string("move"), line.substr(0, line.size() - 3),
                                   line + " 00", std::string("jump 1 2 2f 2f"), std::string("move x 2 2f 2f"),
                                   std::string("move 1 2 2g 2f"), std::string("move 1 2 - 2f"),
                                   std::string("tag 1 2 2f 10 - 10")}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(journal::ParseRecord(bad));
    }
}

} // namespace
