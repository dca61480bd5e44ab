#include "Undo.h"

#include "platform/File.h"
#include "platform/FileOps.h"
#include "platform/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <linux/fs.h>
#include <map>

namespace journal {
namespace {

constexpr std::uint64_t kRecordSize = 128;

// What an undo does to one record: its check, and the change it would make.
struct Plan {
    UndoFile file;
    Record inverse;                 // the record the undo journals for it
    std::function<int()> perform;   // 0 or an errno value; empty unless Restored
};

Plan Skip(const std::string& path, SkipReason reason, int error = 0)
{
    return {{path, UndoStep::Skipped, reason, error}, {}, {}};
}

Plan Leave(const std::string& path)
{
    return {{path, UndoStep::Unchanged, SkipReason::None}, {}, {}};
}

std::optional<platform::FileIdentity> IdentityOf(const std::string& hostPath)
{
    struct stat info {};
    if (lstat(hostPath.c_str(), &info) != 0) return std::nullopt;
    return platform::FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool Exists(const std::string& hostPath)
{
    struct stat info {};
    return lstat(hostPath.c_str(), &info) == 0;
}

TailState ReadState(platform::CFile& file)
{
    TailState state{file.GetLength(), {}};
    if (state.length > kRecordSize) {
        state.tail.resize(kRecordSize);
        if (file.ReadAt(state.length - kRecordSize, state.tail.data(), kRecordSize) != kRecordSize) state.tail.clear();
    }
    return state;
}

// An after state whose tail the operation could not know (a cut tag leaves
// audio bytes at the end) is matched by its length alone.
bool Matches(const TailState& now, const TailState& recorded)
{
    return now.length == recorded.length && (recorded.tail.empty() || now.tail == recorded.tail);
}

// Puts the file's end back as before from the state after: cuts what a
// new tag added, writes back the old record where it was changed or cut.
void RestoreTail(platform::CFile& file, const TailState& before, const TailState& after)
{
    if (before.length < after.length) file.SetLength(before.length);
    if (before.length >= after.length && !before.tail.empty())
        file.WriteAt(before.length - kRecordSize, before.tail.data(), before.tail.size());
}

int RestoreTagNow(const Record& record)
{
    platform::CFile file;
    if (!file.OpenHost(record.path, platform::CFile::modeReadWrite)) return file.LastError();
    if (file.GetIdentity() != record.identity || !Matches(ReadState(file), record.after)) return ESTALE;
    try {
        RestoreTail(file, record.before, record.after);
    } catch (const platform::CFileException& error) {
        return error.OsError();
    }
    return 0;
}

// where: the file's name now, which differs from record.path while a later
// rename of the same operation is not yet taken back.
Plan PlanTag(const Record& record, const std::string& where)
{
    platform::CFile file;
    if (!file.OpenHost(where, platform::CFile::modeRead))
        return Skip(record.path, SkipReason::System, file.LastError());
    if (file.GetIdentity() != record.identity) return Skip(record.path, SkipReason::OtherFile);
    const TailState now = ReadState(file);
    if (Matches(now, record.before)) return Leave(record.path);
    if (!Matches(now, record.after)) return Skip(record.path, SkipReason::ChangedSince);
    Record inverse = record;
    std::swap(inverse.before, inverse.after);
    return {{record.path, UndoStep::Restored, SkipReason::None}, inverse, [record] { return RestoreTagNow(record); }};
}

int MoveNoReplace(const std::string& from, const std::string& to)
{
    if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    return platform::LinkThenUnlink(from, to);
}

Plan PlanMove(const Record& record)
{
    const auto atOld = IdentityOf(record.path), atNew = IdentityOf(record.newPath);
    if (atOld == record.identity && atNew != record.identity) return Leave(record.path);
    if (atNew != record.identity) return Skip(record.newPath, SkipReason::MovedSince);
    if (atOld) return Skip(record.newPath, SkipReason::OldNameTaken);
    Record inverse = record;
    std::swap(inverse.path, inverse.newPath);
    return {{record.path, UndoStep::Restored, SkipReason::None}, inverse,
            [record] { return MoveNoReplace(record.newPath, record.path); }};
}

Plan PlanTrash(const Record& record)
{
    if (!record.IsTrashed()) {
        if (IdentityOf(record.path) == record.identity) return Leave(record.path);
        return Skip(record.path, SkipReason::NotInTrash);
    }
    const platform::TrashEntry entry = record.TrashEntry();
    if (!platform::IsInTrash(entry)) return Skip(record.path, SkipReason::LeftTrash);
    if (Exists(record.path)) return Skip(record.path, SkipReason::NameTaken);
    Record inverse = record;
    inverse.kind = RecordKind::Restore;
    return {{record.path, UndoStep::Restored, SkipReason::None}, inverse,
            [entry] { return platform::RestoreFromTrash(entry).error; }};
}

Plan PlanRestore(const Record& record)
{
    const platform::TrashEntry entry = record.TrashEntry();
    if (IdentityOf(record.path) != record.identity) {
        if (platform::IsInTrash(entry)) return Leave(record.path);
        return Skip(record.path, SkipReason::MovedSince);
    }
    Record inverse = record;
    inverse.kind = RecordKind::Trash;
    inverse.trashFolder.clear();
    inverse.trashedName.clear();
    return {{record.path, UndoStep::Restored, SkipReason::None}, inverse, {}}; // performed by TrashAgain
}

Plan PlanRecord(const Record& record, const std::string& where)
{
    switch (record.kind) {
    case RecordKind::Tag: return PlanTag(record, where);
    case RecordKind::Move: return PlanMove(record);
    case RecordKind::Trash: return PlanTrash(record);
    case RecordKind::Restore: return PlanRestore(record);
    }
    return Skip(record.path, SkipReason::UnknownChange);
}

bool IsIntentOf(const Record& intent, const Record& done)
{
    return intent.kind == RecordKind::Trash && !intent.IsTrashed() && intent.path == done.path &&
           intent.identity == done.identity;
}

// A trash record is written before the file goes and again once it has:
// the later one, with the place, stands for both.
std::vector<Record> MergedRecords(const std::vector<Record>& records)
{
    std::vector<Record> merged;
    for (const Record& record : records) {
        const auto intent =
            record.kind == RecordKind::Trash && record.IsTrashed()
                ? std::find_if(merged.rbegin(), merged.rend(), [&](const Record& r) { return IsIntentOf(r, record); })
                : merged.rend();
        if (intent != merged.rend()) *intent = record;
        else merged.push_back(record);
    }
    return merged;
}

// Undoing a restore trashes the file again, journalling where it went.
int TrashAgain(const Record& inverse, CJournalEntry& journal)
{
    const platform::TrashResult result = platform::MoveToTrash(inverse.path);
    if (!result.Ok()) return result.error;
    Record done = inverse;
    done.trashFolder = result.entry.trashFolder;
    done.trashedName = result.entry.trashedName;
    journal.AddAndCommit(done);
    return 0;
}

void Perform(Plan& plan, CJournalEntry& journal)
{
    const int error = plan.perform ? plan.perform() : TrashAgain(plan.inverse, journal);
    if (error == 0) return;
    plan.file.step = UndoStep::Skipped;
    plan.file.reason = error == ESTALE ? SkipReason::ChangedSince : SkipReason::System;
    plan.file.error = error == ESTALE ? 0 : error;
}

} // namespace

std::string SkipReasonText(const UndoFile& file)
{
    switch (file.reason) {
    case SkipReason::None:
        return {};
    case SkipReason::OtherFile:
        return "it is another file now";
    case SkipReason::ChangedSince:
        return "it was changed since";
    case SkipReason::MovedSince:
        return "it was renamed, replaced or removed since";
    case SkipReason::OldNameTaken:
        return "its old name is taken again";
    case SkipReason::NotInTrash:
        return "it is not in the trash where the journal expects it";
    case SkipReason::LeftTrash:
        return "it is no longer in the trash";
    case SkipReason::NameTaken:
        return "its name is taken again";
    case SkipReason::UnknownChange:
        return "unknown change";
    case SkipReason::System:
        return std::strerror(file.error);
    }
    return {};
}

std::size_t UndoReport::Count(UndoStep step) const
{
    return static_cast<std::size_t>(
        std::count_if(files.begin(), files.end(), [step](const UndoFile& file) { return file.step == step; }));
}

std::vector<bool> EntriesInEffect(const std::vector<EntryInfo>& entries)
{
    std::vector<bool> inEffect(entries.size(), true);
    // An undo is always newer than what it takes back: decide from the newest down.
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (!inEffect[i] || !entries[i].header.undoes) continue;
        for (std::size_t j = 0; j < i; ++j)
            if (entries[j].id == *entries[i].header.undoes) inEffect[j] = false;
    }
    return inEffect;
}

std::optional<std::uint64_t> NewestUndoable(const std::vector<EntryInfo>& entries)
{
    const std::vector<bool> inEffect = EntriesInEffect(entries);
    for (std::size_t i = entries.size(); i-- > 0;)
        if (inEffect[i] && !entries[i].header.undoes && !entries[i].running) return entries[i].id;
    return std::nullopt;
}

std::string WhyNotUndoable(const std::vector<EntryInfo>& entries, std::uint64_t id)
{
    const auto found = std::find_if(entries.begin(), entries.end(), [id](const EntryInfo& e) { return e.id == id; });
    if (found == entries.end()) return "there is no operation " + std::to_string(id) + " in the journal";
    if (found->running) return "operation " + std::to_string(id) + " is still running";
    if (!EntriesInEffect(entries)[static_cast<std::size_t>(found - entries.begin())])
        return "operation " + std::to_string(id) + " has already been undone";
    return {};
}

UndoReport UndoEntry(const CJournalStore& store, const Entry& entry, const std::string& program, bool dryRun)
{
    std::vector<Record> records = MergedRecords(entry.records);
    std::reverse(records.begin(), records.end());
    std::vector<Plan> plans;
    // A file tagged and then renamed by one operation (the window's prompted
    // tag editor) is checked under its new name: the rename is taken back first.
    std::map<std::string, std::string> movedBack; // old name -> name until then
    for (const Record& record : records) {
        const auto moved = movedBack.find(record.path);
        plans.push_back(PlanRecord(record, moved == movedBack.end() ? record.path : moved->second));
        if (record.kind == RecordKind::Move && plans.back().file.step == UndoStep::Restored)
            movedBack[record.path] = record.newPath;
    }
    UndoReport report;
    report.undone = entry.info.id;
    if (!dryRun) {
        const auto journal = store.Begin({program, "undo", entry.info.header.folder, entry.info.id});
        report.entry = journal->Id();
        for (const Plan& plan : plans)
            if (plan.file.step == UndoStep::Restored) journal->Add(plan.inverse);
        journal->Commit(); // ahead of every change, as any operation
        for (Plan& plan : plans)
            if (plan.file.step == UndoStep::Restored) Perform(plan, *journal);
    }
    for (Plan& plan : plans)
        report.files.push_back(std::move(plan.file));
    return report;
}

} // namespace journal
