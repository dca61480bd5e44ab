// A temporary machine for running sonadex-cli: a folder as drive C: through
// the hive's drive table, MP3 files built byte by byte, and helpers to see
// what a run changed.
#pragma once

#include "TempMachine.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>

struct TagBytes {
    std::string title, artist, album, year, comment; // system bytes (cp1252)
    unsigned char genre = 255;
};

// The 128-byte ID3v1 record, fields padded with zero bytes as other tools write them.
std::string MakeRecord(const TagBytes& tag);
// Some bytes of "audio" (never parsed) followed by the record when tag is given.
std::string MakeMp3(const TagBytes* tag, std::size_t audioBytes = 600);

// Makes a file unwritable for the test's lifetime: mode 0444, and as root
// (whom the mode does not stop) the immutable attribute, removed again on
// destruction. Usable() is false when neither stops a write here.
class CReadOnlyFile {
public:
    explicit CReadOnlyFile(std::string hostPath);
    ~CReadOnlyFile();
    CReadOnlyFile(const CReadOnlyFile&) = delete;
    CReadOnlyFile& operator=(const CReadOnlyFile&) = delete;
    bool Usable() const { return m_usable; }

private:
    std::string m_path;
    bool m_immutable = false;
    bool m_usable = false;
};

// Holds the file open with an exclusive flock, as another program using it
// would: the platform's exclusive open then fails.
class CHeldFile {
public:
    explicit CHeldFile(const std::string& hostPath);
    ~CHeldFile();
    CHeldFile(const CHeldFile&) = delete;
    CHeldFile& operator=(const CHeldFile&) = delete;

private:
    int m_fd = -1;
};

class CliTest : public ::testing::Test {
protected:
    CliTest();

    // Hive with the drive table C: = the temporary root, the program's keys and extra values lines.
    void WriteHive(const std::string& programValues = {}) const;
    std::string Host(const std::string& rel) const { return m_machine.Host(rel); }
    void Write(const std::string& rel, const std::string& bytes) const { m_machine.WriteFile(rel, bytes); }
    std::string Read(const std::string& rel) const { return m_machine.ReadFile(rel); }
    bool Exists(const std::string& rel) const { return m_machine.Exists(rel); }
    // Every file under the root: relative path -> bytes.
    std::map<std::string, std::string> Snapshot() const;

    TempMachine m_machine;
};
