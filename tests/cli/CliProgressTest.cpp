// The progress line on a terminal: drawn on stderr while a long walk runs,
// and never left inside a row that stdout prints to the same terminal.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Runs the command with stdout and stderr on one pseudo-terminal, replays
// what it wrote as a terminal shows it (carriage return, erase to the end
// of the line, line feed) and prints a JSON summary: how often the progress
// line was drawn, and the screen lines that are neither a row, a folder
// heading nor the summary.
const char* const kTerminalScript = R"(
import json, os, pty, re, subprocess, sys
master, slave = pty.openpty()
child = subprocess.Popen(sys.argv[1:], stdin=subprocess.DEVNULL, stdout=slave, stderr=slave)
os.close(slave)
raw = b''
while True:
    try:
        chunk = os.read(master, 65536)
    except OSError:
        break
    if not chunk:
        break
    raw += chunk
status = child.wait()
lines, line, col = [], [], 0
i = 0
while i < len(raw):
    if raw.startswith(b'\x1b[K', i):
        del line[col:]; i += 3; continue
    c = raw[i:i+1]; i += 1
    if c == b'\r': col = 0
    elif c == b'\n': lines.append(b''.join(line)); line, col = [], 0
    else:
        if col < len(line): line[col] = c
        else: line.append(c)
        col += 1
if line: lines.append(b''.join(line))
text = [l.decode('utf-8', 'replace') for l in lines]
row = re.compile(r'^[^\t]+\.mp3\t[^\t]*(\t[^\t]*){6}\t(match|tagged|untagged|unreadable)$')
bad = [l for l in text if not (row.match(l) or l.endswith(':') or re.match(r'^\d+ files, ', l) or l == '')]
print(json.dumps({'status': status, 'draws': raw.count(b'\rlist: '), 'rows': sum(1 for l in text if row.match(l)),
                  'bad': bad[:5]}))
)";

class CliProgress : public CliTest {};

TEST_F(CliProgress, TheProgressLineNeverOverwritesARowOnATerminal)
{
    // Enough files that the walk takes well over the 100 ms between two
    // draws; a fast machine gets a larger tree until the line is drawn.
    const TagBytes tag{"Title", "Artist", "Album", "1992", "", 43};
    const std::string bytes = MakeMp3(&tag, 16);
    constexpr int kFiles = 80;
    int folders = 0;
    RunResult result;
    for (int grow = 100; grow <= 800; grow *= 2) {
        for (const int end = folders + grow; folders < end; ++folders) {
            const std::string each = "tree/f" + std::to_string(folders);
            Write(each + "/song 0.mp3", bytes);
            // Hard links: thousands of names without thousands of writes.
            for (int file = 1; file < kFiles; ++file)
                ASSERT_EQ(link(Host(each + "/song 0.mp3").c_str(), Host(each + "/song " + std::to_string(file) + ".mp3").c_str()), 0);
        }
        result = RunProgram("python3", {"-c", kTerminalScript, SONADEX_CLI_PATH, "list", "-r", "-j", "1", Host("tree")});
        ASSERT_EQ(result.status, 0) << result.err;
        if (JsonQuery(result.out, "d['draws']") != "0") break;
    }
    EXPECT_EQ(JsonQuery(result.out, "d['status']"), "0") << result.out;
    EXPECT_EQ(JsonQuery(result.out, "d['rows']"), std::to_string(folders * kFiles)) << result.out;
    EXPECT_EQ(JsonQuery(result.out, "d['bad']"), "[]") << result.out;
    // The check means something only when the line was drawn while rows came.
    EXPECT_NE(JsonQuery(result.out, "d['draws']"), "0") << result.out;
}

} // namespace
