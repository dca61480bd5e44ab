#include "Id3v1Tag.h"

#include "GenreTable.h"
#include "platform/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace {

constexpr char kId3v2Marker[] = {'I', 'D', '3'};
static_assert(sizeof kId3v2Marker == CId3v1Tag::kHeadSize);

using Record = CId3v1Record::Bytes;

// One read of three bytes on the handle Open has anyway, so the listing of a
// large folder pays no second open for it.
bool StartsWithId3v2(platform::CFile& file)
{
    char head[sizeof kId3v2Marker];
    return file.ReadAt(0, head, sizeof head) == sizeof head && std::memcmp(head, kId3v2Marker, sizeof head) == 0;
}

// Where the last record of an open file starts, when the file is long enough
// to carry one and still ends with a tag: Save checks this so that a file
// changed since Open never loses audio bytes to a cut or an overwrite.
std::optional<std::uint64_t> ReadTrailingTag(platform::CFile& file, Record& record)
{
    const std::uint64_t length = file.GetLength();
    if (length <= CId3v1Tag::kRecordSize) return std::nullopt;
    const std::uint64_t start = length - CId3v1Tag::kRecordSize;
    if (file.ReadAt(start, record.data(), record.size()) != record.size() || !CId3v1Record::Parse(record))
        return std::nullopt;
    return start;
}

void OverwriteRecord(platform::CFile& file, std::uint64_t start, const Record& record, const Record& old)
{
    try {
        file.WriteAt(start, record.data(), record.size());
    } catch (const platform::CFileException&) {
        // Put the old tag back so that a failed write leaves no half-new record.
        try {
            file.WriteAt(start, old.data(), old.size());
        } catch (const platform::CFileException&) {
        }
        throw;
    }
}

void AppendRecord(platform::CFile& file, const Record& record)
{
    // Written at the old end rather than after growing the file, so that a
    // failure can never leave a zeroed record behind.
    const std::uint64_t oldLength = file.GetLength();
    try {
        file.WriteAt(oldLength, record.data(), record.size());
    } catch (const platform::CFileException&) {
        try {
            file.SetLength(oldLength);
        } catch (const platform::CFileException&) {
        }
        throw;
    }
}

// ReadTrailingTag for a file held locked since Open, or one StillAsOpened has
// just checked under the lock: its last bytes are the tail Open kept, so they
// need no second read.
std::optional<std::uint64_t> TrailingTagAsOpened(const CId3v1Tag::FileState& state, Record& record)
{
    if (state.tail.size() != record.size()) return std::nullopt;
    std::copy(state.tail.begin(), state.tail.end(), record.begin());
    if (!CId3v1Record::Parse(record)) return std::nullopt;
    return state.length - CId3v1Tag::kRecordSize;
}

bool StillAsOpened(platform::CFile& file, const CId3v1Tag::FileState& state)
{
    const platform::FileIdentity identity = file.GetIdentity();
    if (identity.device != state.device || identity.inode != state.inode || file.GetLength() != state.length)
        return false;
    if (state.tail.empty()) return true;
    Record tail{};
    return file.ReadAt(state.length - CId3v1Tag::kRecordSize, tail.data(), tail.size()) == tail.size() &&
           std::memcmp(tail.data(), state.tail.data(), tail.size()) == 0;
}

} // namespace

bool CId3v1Tag::Open(const std::string& path, Head head)
{
    Release();
    platform::CFile file;
    file.Open(path, platform::CFile::modeRead);
    return ReadOpened(file, path, head);
}

template <typename OpenForReading> bool CId3v1Tag::ReadInstead(int refusal, OpenForReading openForReading)
{
    const bool opened = openForReading();
    // Read though not writable: the change is known to fail before it is journalled.
    if (opened && (refusal == EACCES || refusal == EPERM || refusal == EROFS || refusal == ETXTBSY))
        m_nWriteRefusal = refusal;
    return opened;
}

template <typename OpenForReading>
bool CId3v1Tag::HoldOrRead(platform::CFile& file, const std::string& path, Head head, OpenForReading fallback)
{
    if (!file.IsOpen()) return ReadInstead(file.LastError(), fallback);
    const bool opened = ReadOpened(file, path, head);
    m_held = std::move(file);
    return opened;
}

bool CId3v1Tag::TakeEndsForChange(platform::FileEnds& ends, int folderFd, const std::string& hostName,
                                  const std::string& path, Head head)
{
    if (!ends.fd.IsValid()) {
        // Not opened for writing (or not read whole): read on its own, as OpenForChangeIn reads it.
        const int refusal = ends.openError;
        return ReadInstead(refusal, [&] { return OpenIn(folderFd, hostName, path, head); });
    }
    const bool opened = TakeEnds(ends, path, head);
    m_held.Adopt(std::move(ends.fd), path, ends.length, ends.identity);
    return opened;
}

bool CId3v1Tag::OpenForChange(const std::string& path, Head head)
{
    platform::CFile file;
    file.Open(path, platform::CFile::modeReadWrite);
    return HoldOrRead(file, path, head, [&] { return Open(path, head); });
}

bool CId3v1Tag::OpenForChangeIn(int folderFd, const std::string& hostName, const std::string& path, Head head)
{
    platform::CFile file;
    file.OpenIn(folderFd, hostName, path, platform::CFile::modeReadWrite);
    return HoldOrRead(file, path, head, [&] { return OpenIn(folderFd, hostName, path, head); });
}

bool CId3v1Tag::OpenIn(int folderFd, const std::string& hostName, const std::string& path, Head head)
{
    Release();
    platform::CFile file;
    file.OpenIn(folderFd, hostName, path, platform::CFile::modeRead);
    return ReadOpened(file, path, head);
}

bool CId3v1Tag::ReadOpened(platform::CFile& file, const std::string& path, Head head)
{
    if (!Begin(path, file.IsOpen(), file.LastError())) return false;
    m_dwFileLength = file.GetLength();
    const bool id3v2 = head == Head::Check && StartsWithId3v2(file);
    Record tail{};
    const bool complete = m_dwFileLength > kRecordSize &&
                          file.ReadAt(m_dwFileLength - kRecordSize, tail.data(), kRecordSize) == kRecordSize;
    Keep(file.GetIdentity(), id3v2, complete ? &tail : nullptr);
    return true;
}

bool CId3v1Tag::TakeEnds(const platform::FileEnds& ends, const std::string& path, Head head)
{
    Release();
    if (!Begin(path, ends.openError == 0, ends.openError)) return false;
    m_dwFileLength = ends.length;
    if (ends.readError != 0) throw platform::CFileException(path, ends.readError, "Cannot read");
    const bool id3v2 = head == Head::Check && ends.headRead >= kHeadSize &&
                       std::memcmp(ends.head.data(), kId3v2Marker, kHeadSize) == 0;
    static_assert(platform::FileEnds::kTail == kRecordSize);
    Record tail{};
    std::memcpy(tail.data(), ends.tail.data(), tail.size());
    Keep(ends.identity, id3v2, ends.tailRead ? &tail : nullptr);
    return true;
}

bool CId3v1Tag::Begin(const std::string& path, bool opened, int openError)
{
    m_strPath = path;
    m_openState = {};
    m_nWriteRefusal = 0;
    m_bHasTag = false;
    m_bTagOnDisk = false;
    m_bHasId3v2 = false;
    m_nLastError = opened ? 0 : openError;
    // Nothing of the previous file may show through a reused object.
    if (!opened) m_record = CId3v1Record();
    return opened;
}

void CId3v1Tag::Keep(const platform::FileIdentity& identity, bool id3v2, const Record* tail)
{
    m_bHasId3v2 = id3v2;
    m_openState = {identity.device, identity.inode, m_dwFileLength,
                   tail ? std::string(tail->begin(), tail->end()) : std::string()};
    const std::optional<CId3v1Record> record = tail ? CId3v1Record::Parse(*tail) : std::nullopt;
    m_bHasTag = m_bTagOnDisk = record.has_value();
    // The empty record is made only for a file without one: a listing keeps many.
    if (record)
        m_record = *record;
    else
        m_record = CId3v1Record();
}

void CId3v1Tag::Save()
{
    SaveChecked(false);
}

bool CId3v1Tag::SaveIfUnchanged()
{
    return SaveChecked(true);
}

bool CId3v1Tag::SaveChecked(bool onlyIfUnchanged)
{
    // A file held since Open was locked all along: no opener of ours can have
    // changed it, so it is as Open found it without being read again.
    const bool held = m_held.IsOpen();
    platform::CFile file = std::move(m_held);
    const bool opened = held || file.Open(m_strPath, platform::CFile::modeReadWrite);
    m_nLastError = opened ? 0 : file.LastError();
    if (!opened) return true;
    if (onlyIfUnchanged && !held && !StillAsOpened(file, m_openState)) return false;
    // Opened again, the tail is read again under the lock: the file may have
    // gained or lost a tag since Open (another program or process saved
    // meanwhile), and a second record must never be stacked onto one, nor
    // audio cut as a tag.
    Record old{};
    const bool lookAtTail = m_bTagOnDisk || m_bHasTag;
    const bool asOpened = held || onlyIfUnchanged;
    std::optional<std::uint64_t> tagAt;
    if (lookAtTail) tagAt = asOpened ? TrailingTagAsOpened(m_openState, old) : ReadTrailingTag(file, old);
    if (m_bHasTag && tagAt)
        OverwriteRecord(file, *tagAt, m_record.Render(), old);
    else if (m_bHasTag)
        AppendRecord(file, m_record.Render());
    else if (m_bTagOnDisk && tagAt)
        file.SetLength(*tagAt);
    file.Close();
    m_bTagOnDisk = m_bHasTag;
    return true;
}

std::string CId3v1Tag::Get(Field field) const
{
    // The genre ignores m_bHasTag: the empty record's 255 already reads as no genre.
    return m_bHasTag || field == Field::Genre ? m_record.Get(field) : std::string();
}

void CId3v1Tag::Set(Field field, std::string_view text)
{
    m_bHasTag = true;
    m_record.Set(field, text);
}

bool CId3v1Tag::SetComment(std::string_view text)
{
    // The record's bytes, not GetTrack: a tag pending removal still holds the
    // track, and a setter brings that tag back with its other bytes.
    m_bHasTag = true;
    return m_record.SetComment(text);
}

void CId3v1Tag::SetTrack(unsigned char track)
{
    // Without a tag there is no track to remove, and nothing to change.
    if (track == 0 && !m_bHasTag) return;
    m_bHasTag = true;
    m_record.SetTrack(track);
}
