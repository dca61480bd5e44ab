// Every name a disk can hold: each command acts on exactly the file named,
// however its name is spelled, checked by the bytes of every file.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Names a code page cannot hold beside the names one would map them to.
const std::vector<std::string> kNames = {
    "a\xCE\xA9.mp3",               // aΩ.mp3
    "a?.mp3",                      // what aΩ.mp3 became through cp1252
    "\xD0\x90\xD1\x80\xD0\xB8\xD1\x8F.mp3", // Ария.mp3
    "\xE6\x97\xA5\xE6\x9C\xAC.mp3",         // 日本.mp3
    "emoji \xF0\x9F\x8E\xB5.mp3",           // emoji 🎵.mp3
    "caf\xE9.mp3",                          // Latin-1 bytes: not valid UTF-8
    "caf\xC3\xA9.mp3",                      // the same name in UTF-8
    "Case.mp3",
    "case.mp3",
    "\xE9\x9F\xB3\xE6\xA5\xBD/inner.mp3", // 音楽/inner.mp3
};

class CliNames : public CliTest {
protected:
    CliNames()
    {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            // Each file has a tag of its own, so a command on the wrong file shows.
            const TagBytes tag{"Title " + std::to_string(i), "Artist " + std::to_string(i), "", "", "", 17};
            Write(kNames[i], MakeMp3(&tag));
        }
    }

    // The relative paths whose bytes differ between two snapshots.
    static std::vector<std::string> Changed(const std::map<std::string, std::string>& before,
                                            const std::map<std::string, std::string>& after)
    {
        std::vector<std::string> changed;
        for (const auto& [path, bytes] : before) {
            const auto found = after.find(path);
            if (found == after.end() || found->second != bytes) changed.push_back(path);
        }
        for (const auto& [path, bytes] : after)
            if (!before.contains(path)) changed.push_back(path);
        return changed;
    }
};

TEST_F(CliNames, SetAndStripChangeExactlyTheFileNamed)
{
    for (const std::string& name : kNames) {
        SCOPED_TRACE(name);
        const auto before = Snapshot();
        const RunResult set = RunCli({"set", "--artist", "X", Host(name)});
        EXPECT_EQ(set.status, 0) << set.err;
        EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{name});
        const std::string bytes = Read(name);
        EXPECT_EQ(bytes.substr(bytes.size() - 128 + 33, 2), "X ");

        const auto beforeStrip = Snapshot();
        const RunResult strip = RunCli({"strip", Host(name)});
        EXPECT_EQ(strip.status, 0) << strip.err;
        EXPECT_EQ(Changed(beforeStrip, Snapshot()), std::vector<std::string>{name});
        EXPECT_EQ(Read(name).size(), bytes.size() - 128);
    }
}

TEST_F(CliNames, ShowReadsEachFileUnderItsOwnName)
{
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        SCOPED_TRACE(kNames[i]);
        const RunResult show = RunCli({"show", "--json", Host(kNames[i])});
        EXPECT_EQ(show.status, 0) << show.err;
        EXPECT_EQ(JsonQuery(show.out, "d[0]['title']"), "Title " + std::to_string(i));
    }
}

TEST_F(CliNames, ListShowsEveryFileAndJsonCarriesBytesThatAreNoUtf8)
{
    const RunResult list = RunCli({"list", "--json", "-r", Host("")});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(JsonQuery(list.out, "len(d['rows'])"), std::to_string(kNames.size()));
    // Every row's path, taken from "path_hex" where there is one, is its file's host path.
    const std::string paths = JsonQuery(
        list.out, "sorted((bytes.fromhex(r['path_hex']) if 'path_hex' in r else r['path'].encode()).hex() "
                  "for r in d['rows'])");
    std::vector<std::string> expected;
    for (const std::string& name : kNames) {
        std::string hex;
        for (const char c : Host(name)) {
            static constexpr char kDigits[] = "0123456789abcdef";
            hex += kDigits[static_cast<unsigned char>(c) >> 4];
            hex += kDigits[static_cast<unsigned char>(c) & 0x0F];
        }
        expected.push_back("'" + hex + "'");
    }
    std::sort(expected.begin(), expected.end());
    std::string joined = "[";
    for (std::size_t i = 0; i < expected.size(); ++i)
        joined += (i ? ", " : "") + expected[i];
    EXPECT_EQ(paths, joined + "]");
    // The name that is no UTF-8 shows with U+FFFD and its exact bytes beside it.
    EXPECT_EQ(JsonQuery(list.out, "[(r['name'], r['name_hex']) for r in d['rows'] if 'name_hex' in r]"),
              "[('caf\xEF\xBF\xBD.mp3', '636166e92e6d7033')]");
}

TEST_F(CliNames, RenameMovesTheFileNamedAndNoOther)
{
    for (const std::string& name : {std::string("a\xCE\xA9.mp3"), std::string("caf\xE9.mp3")}) {
        SCOPED_TRACE(name);
        const std::string title = Read(name).substr(Read(name).size() - 128 + 3, 7);
        const auto before = Snapshot();
        const RunResult rename = RunCli({"rename", "--pattern", "renamed %2", Host(name)});
        EXPECT_EQ(rename.status, 0) << rename.err;
        const std::string target = "renamed " + title + ".mp3";
        EXPECT_FALSE(Exists(name));
        ASSERT_TRUE(Exists(target));
        EXPECT_EQ(Read(target), before.at(name));
        auto changed = Changed(before, Snapshot());
        std::sort(changed.begin(), changed.end());
        std::vector<std::string> expected{name, target};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(changed, expected);
    }
}

TEST_F(CliNames, MultiTagWalksAFolderNamedOutsideTheCodePage)
{
    const auto before = Snapshot();
    const RunResult run = RunCli({"multitag", "--album", "Inner", Host("\xE9\x9F\xB3\xE6\xA5\xBD")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{"\xE9\x9F\xB3\xE6\xA5\xBD/inner.mp3"});
}

TEST_F(CliNames, NamesFromTagsBecomeUtf8Names)
{
    // A tag's cp1252 bytes become the file's UTF-8 name, which the program opens again.
    const TagBytes tag{"Caf\xE9", "Mot\xF6rhead", "", "", "", 17};
    Write("tagged.mp3", MakeMp3(&tag));
    const RunResult rename = RunCli({"rename", "--pattern", "%1 - %2", Host("tagged.mp3")});
    EXPECT_EQ(rename.status, 0) << rename.err;
    const std::string expected = "Mot\xC3\xB6rhead - Caf\xC3\xA9.mp3";
    ASSERT_TRUE(Exists(expected));
    const RunResult show = RunCli({"show", "--json", Host(expected)});
    EXPECT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(JsonQuery(show.out, "d[0]['title']"), "Caf\xC3\xA9");
}

} // namespace
