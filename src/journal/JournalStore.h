// The journal's folder, shared by the window and the command line and by two
// programs running at once: one file per operation, numbered in the order
// the operations began.
#pragma once

#include "JournalRecord.h"
#include "platform/UniqueFd.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace journal {

// The journal keeps the newest kKeptEntries operations; past the newest
// kAlwaysKeptEntries, older ones go once the entries pass kKeptBytes.
inline constexpr std::size_t kKeptEntries = 200;
inline constexpr std::size_t kAlwaysKeptEntries = 10;
inline constexpr std::uint64_t kKeptBytes = std::uint64_t{256} << 20;

// The journal could not be written: the operation must not go on.
// The journal cannot be written: what() says so in English; the window
// words it from the path and the system's error.
class JournalError : public std::runtime_error {
public:
    JournalError(std::string path, int error);
    const std::string& Path() const { return m_path; }
    int Error() const { return m_error; } // errno value; 0 when an earlier write failed
private:
    std::string m_path;
    int m_error = 0;
};

struct EntryHeader {
    std::string program;                // "sonadex", "sonadex-cli"
    std::string command;                // "multitag", "rename-all", "undo" ...
    std::string folder;                 // host path the operation worked on, or ""
    std::optional<std::uint64_t> undoes; // an undo: the entry it takes back
};

struct EntryInfo {
    std::uint64_t id = 0;
    std::string time; // UTC, "2026-12-10T18:10:00Z"
    EntryHeader header;
    std::size_t records = 0;
    bool finished = false; // it ended; false after a crash, or while it runs
    bool running = false;  // a program is writing it now
};

struct Entry {
    EntryInfo info;
    std::vector<Record> records;
};

// The entry an operation writes as it goes. Records are buffered by Add and
// on disk, synced, when Commit returns: an operation commits the records of
// a batch before it changes any file of that batch.
class CJournalEntry {
public:
    // keepEmpty: an undo is kept even when it restored nothing, so that it
    // counts as done and a plain undo goes on to the next older operation.
    CJournalEntry(std::uint64_t id, platform::UniqueFd fd, std::string path, bool keepEmpty);
    // Marks the entry finished; an entry that recorded nothing is removed.
    ~CJournalEntry();
    CJournalEntry(const CJournalEntry&) = delete;
    CJournalEntry& operator=(const CJournalEntry&) = delete;

    std::uint64_t Id() const { return m_id; }
    void Add(const Record& record); // safe from several threads
    void Commit();                  // throws JournalError
    // Commit in two steps, so that the sync may run on another thread while
    // the caller reads the next files: Write puts the records added so far
    // in the file, Sync makes what was written durable. A change may rely
    // on its records only once Sync has returned. Both throw JournalError.
    void WriteAdded();
    void Sync();
    // Add and Commit in one, for changes that go one file at a time.
    void AddAndCommit(const Record& record);
    std::size_t RecordCount() const;

private:
    void Write(std::string_view text); // throws JournalError

    const std::uint64_t m_id;
    const platform::UniqueFd m_fd; // holds a lock while the entry is written: "running"
    const std::string m_path;
    const bool m_keepEmpty;
    mutable std::mutex m_mutex;
    std::string m_pending;
    std::size_t m_records = 0;
    bool m_unsynced = false; // written since the last sync
    bool m_failed = false;
};

class CJournalStore {
public:
    explicit CJournalStore(std::string folder) : m_folder(std::move(folder)) {}
    // ${XDG_STATE_HOME:-$HOME/.local/state}/sonadex-pro/journal
    static std::string DefaultFolder();

    const std::string& Folder() const { return m_folder; }
    // Starts a new entry, dropping the oldest past kKeptEntries; throws
    // JournalError when the journal cannot be written.
    std::unique_ptr<CJournalEntry> Begin(const EntryHeader& header) const;
    std::vector<EntryInfo> List() const; // oldest first
    std::optional<Entry> Read(std::uint64_t id) const;

private:
    std::string EntryPath(std::uint64_t id) const;
    std::vector<std::uint64_t> EntryIds() const;
    void Prune(const std::vector<std::uint64_t>& ids) const;

    std::string m_folder;
};

} // namespace journal
