#include "JournalStore.h"

#include "platform/HostFile.h"
#include "platform/UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace journal {
namespace {

constexpr char kMagic[] = "sonadex-journal 1";
constexpr char kSuffix[] = ".entry";
constexpr char kEndLine[] = "end";

[[noreturn]] void Fail(const std::string& what, int error)
{
    throw JournalError(what, error);
}

std::string JournalErrorText(const std::string& path, int error)
{
    return "the undo journal cannot be written (" + path +
           (error != 0 ? std::string(": ") + std::strerror(error) : "") + "); no further file was changed";
}

// mkdir -p, private to the user as state folders are.
void MakeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) Fail(part, errno);
        if (slash == std::string::npos) break;
    }
}

void SyncFolder(const std::string& folder)
{
    const platform::UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsValid()) fsync(fd.Get());
}

std::string UtcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::optional<std::uint64_t> IdOfName(std::string_view name)
{
    if (name.size() <= std::strlen(kSuffix) || !name.ends_with(kSuffix)) return std::nullopt;
    name.remove_suffix(std::strlen(kSuffix));
    std::uint64_t id = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
    if (error != std::errc() || end != name.data() + name.size()) return std::nullopt;
    return id;
}

void WriteAll(int fd, std::string_view text, const std::string& path)
{
    while (!text.empty()) {
        const ssize_t done = write(fd, text.data(), text.size());
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) Fail(path, done < 0 ? errno : EIO);
        text.remove_prefix(static_cast<std::size_t>(done));
    }
}

std::string HeaderText(std::uint64_t id, const EntryHeader& header)
{
    std::string text = std::string(kMagic) + "\nid " + std::to_string(id) + "\ntime " + UtcNow() + "\nprogram " +
                       ToHexField(header.program) + "\ncommand " + ToHexField(header.command) + "\nfolder " +
                       ToHexField(header.folder) + '\n';
    if (header.undoes) text += "undoes " + std::to_string(*header.undoes) + '\n';
    return text;
}

// A header line "key value" into info; false for a line that is no header.
bool ParseHeaderLine(std::string_view line, EntryInfo& info)
{
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    const std::string_view key = line.substr(0, space), value = line.substr(space + 1);
    const auto text = [&] { return FromHexField(value).value_or(std::string()); };
    const auto number = [&](std::uint64_t& out) { return std::from_chars(value.data(), value.data() + value.size(), out).ec == std::errc(); };
    std::uint64_t id = 0;
    if (key == "id") return number(info.id);
    if (key == "time") info.time = value;
    else if (key == "program") info.header.program = text();
    else if (key == "command") info.header.command = text();
    else if (key == "folder") info.header.folder = text();
    else if (key == "undoes" && number(id)) info.header.undoes = id;
    else return false;
    return true;
}

// The entry's lines: header, records, "end". A last line without its newline
// was cut short by a crash before its sync, and so changed no file: dropped.
Entry ParseEntry(std::string_view text)
{
    Entry entry;
    if (const std::size_t last = text.rfind('\n'); last != std::string_view::npos) text = text.substr(0, last + 1);
    else text = {};
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (first) {
            first = false;
            if (line != kMagic) return {};
            continue;
        }
        if (line == kEndLine) entry.info.finished = true;
        else if (auto record = ParseRecord(line)) entry.records.push_back(std::move(*record));
        else ParseHeaderLine(line, entry.info);
    }
    entry.info.records = entry.records.size();
    return entry;
}

// A program writing an entry holds its lock.
bool IsBeingWritten(const std::string& path)
{
    const platform::UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    return fd.IsValid() && flock(fd.Get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

// Holds the journal folder's lock file while an entry is numbered and made.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : m_fd(open((folder + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
    {
        if (!m_fd.IsValid()) Fail(folder + "/lock", errno);
        while (flock(m_fd.Get(), LOCK_EX) != 0)
            if (errno != EINTR) Fail(folder + "/lock", errno);
    }

private:
    platform::UniqueFd m_fd; // closing it releases the lock
};

// The highest number ever given: kept in its own file, since entries that
// recorded nothing are removed and pruning removes the oldest.
std::uint64_t LastId(const std::string& folder, const std::vector<std::uint64_t>& ids)
{
    std::uint64_t last = ids.empty() ? 0 : ids.back();
    if (const auto text = platform::ReadHostFile(folder + "/last-id")) {
        std::uint64_t stored = 0;
        std::from_chars(text->data(), text->data() + text->size(), stored);
        last = std::max(last, stored);
    }
    return last;
}

void StoreLastId(const std::string& folder, std::uint64_t id)
{
    const std::string path = folder + "/last-id";
    const platform::UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.IsValid()) Fail(path, errno);
    WriteAll(fd.Get(), std::to_string(id) + '\n', path);
}

} // namespace

JournalError::JournalError(std::string path, int error)
    : std::runtime_error(JournalErrorText(path, error)), m_path(std::move(path)), m_error(error)
{
}

CJournalEntry::CJournalEntry(std::uint64_t id, platform::UniqueFd fd, std::string path, bool keepEmpty)
    : m_id(id), m_fd(std::move(fd)), m_path(std::move(path)), m_keepEmpty(keepEmpty)
{
}

CJournalEntry::~CJournalEntry()
{
    try {
        Commit();
        if (m_records == 0 && !m_keepEmpty) unlink(m_path.c_str());
        else Write(std::string(kEndLine) + '\n');
    } catch (const JournalError&) {
        // The records that matter were synced by the operation's own commits.
    }
}

void CJournalEntry::Add(const Record& record)
{
    const std::lock_guard lock(m_mutex);
    AppendRecord(m_pending, record);
    m_pending += '\n';
    ++m_records;
}

void CJournalEntry::Commit()
{
    WriteAdded();
    Sync();
}

void CJournalEntry::WriteAdded()
{
    const std::lock_guard lock(m_mutex);
    if (m_failed) throw JournalError(m_path, 0);
    if (m_pending.empty()) return;
    try {
        Write(m_pending);
    } catch (const JournalError&) {
        m_failed = true; // a half-written batch: no later change may rely on the entry
        throw;
    }
    m_pending.clear();
    m_unsynced = true;
}

void CJournalEntry::Sync()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_failed) throw JournalError(m_path, 0);
        if (!m_unsynced) return;
        m_unsynced = false;
    }
    // Outside the lock: records of the next files may be added meanwhile.
    if (fdatasync(m_fd.Get()) == 0) return;
    const int error = errno;
    const std::lock_guard lock(m_mutex);
    m_failed = true;
    Fail(m_path, error);
}

void CJournalEntry::AddAndCommit(const Record& record)
{
    Add(record);
    Commit();
}

std::size_t CJournalEntry::RecordCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_records;
}

void CJournalEntry::Write(std::string_view text)
{
    WriteAll(m_fd.Get(), text, m_path);
}

std::string CJournalStore::DefaultFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/') return std::string(state) + "/sonadex-pro/journal";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/") + "/.local/state/sonadex-pro/journal";
}

std::unique_ptr<CJournalEntry> CJournalStore::Begin(const EntryHeader& header) const
{
    MakeFolders(m_folder);
    const FolderLock lock(m_folder);
    const std::vector<std::uint64_t> ids = EntryIds();
    const std::uint64_t id = LastId(m_folder, ids) + 1;
    const std::string path = EntryPath(id);
    platform::UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.IsValid()) Fail(path, errno);
    if (flock(fd.Get(), LOCK_EX) != 0) Fail(path, errno);
    WriteAll(fd.Get(), HeaderText(id, header), path);
    if (fdatasync(fd.Get()) != 0) Fail(path, errno);
    StoreLastId(m_folder, id);
    SyncFolder(m_folder);
    Prune(ids);
    return std::make_unique<CJournalEntry>(id, std::move(fd), path, header.undoes.has_value());
}

std::vector<EntryInfo> CJournalStore::List() const
{
    std::vector<EntryInfo> infos;
    for (const std::uint64_t id : EntryIds())
        if (auto entry = Read(id)) infos.push_back(std::move(entry->info));
    return infos;
}

std::optional<Entry> CJournalStore::Read(std::uint64_t id) const
{
    const std::string path = EntryPath(id);
    const auto text = platform::ReadHostFile(path);
    if (!text) return std::nullopt;
    Entry entry = ParseEntry(*text);
    if (entry.info.id != id) return std::nullopt;
    entry.info.running = !entry.info.finished && IsBeingWritten(path);
    return entry;
}

std::string CJournalStore::EntryPath(std::uint64_t id) const
{
    char name[32];
    std::snprintf(name, sizeof name, "/%08llu%s", static_cast<unsigned long long>(id), kSuffix);
    return m_folder + name;
}

std::vector<std::uint64_t> CJournalStore::EntryIds() const
{
    std::vector<std::uint64_t> ids;
    DIR* folder = opendir(m_folder.c_str());
    if (!folder) return ids;
    while (const dirent* item = readdir(folder))
        if (const auto id = IdOfName(item->d_name)) ids.push_back(*id);
    closedir(folder);
    std::sort(ids.begin(), ids.end());
    return ids;
}

void CJournalStore::Prune(const std::vector<std::uint64_t>& ids) const
{
    // ids lacks the entry just begun, which counts among the kept.
    std::uint64_t bytes = 0;
    std::size_t kept = 1;
    for (std::size_t i = ids.size(); i-- > 0;) {
        const std::string path = EntryPath(ids[i]);
        struct stat info {};
        if (stat(path.c_str(), &info) != 0) continue;
        bytes += static_cast<std::uint64_t>(info.st_size);
        ++kept;
        if (kept <= kAlwaysKeptEntries || (kept <= kKeptEntries && bytes <= kKeptBytes)) continue;
        if (!IsBeingWritten(path)) unlink(path.c_str());
    }
}

} // namespace journal
