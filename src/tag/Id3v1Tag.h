// The ID3v1 tag of one MP3 file: the 128-byte record at the file's end.
#pragma once

#include "Field.h"
#include "GenreTable.h"
#include "Id3v1Record.h"
#include "platform/File.h"
#include "platform/FileEndsReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CId3v1Tag {
public:
    // The file as Open found it: which file, its length and, when it is longer
    // than one record, its last 128 bytes.
    struct FileState {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t length = 0;
        std::string tail;
    };

    static constexpr std::size_t kRecordSize = CId3v1Record::kSize;
    static constexpr int kGenreCount = static_cast<int>(::kGenreCount);
    static constexpr unsigned char kNoGenre = ::kNoGenre;

    // What Open reads besides the record: whether the file starts with an
    // ID3v2 tag costs one more read per file, which a listing does without.
    enum class Head { Check, Skip };
    // The bytes at the start that tell an ID3v2 tag.
    static constexpr std::size_t kHeadSize = 3;
    // path is a system path. Nonzero when the file could be opened for reading.
    bool Open(const std::string& path, Head head = Head::Check);
    // Open for the entry hostName of an open folder (platform::CFile::OpenIn),
    // the file that has the system path path.
    bool OpenIn(int folderFd, const std::string& hostName, const std::string& path, Head head = Head::Check);
    // Takes what a platform::CFileEndsReader read of the file that has the
    // system path path (with kHeadSize head bytes for Head::Check), as Open
    // would have read it; a failed read raises platform::CFileException.
    bool TakeEnds(const platform::FileEnds& ends, const std::string& path, Head head = Head::Check);
    // OpenForChangeIn for a file a platform::CFileEndsReader held for
    // writing: the tag takes the file over from ends. A file the reader could
    // not hold is read as OpenForChangeIn reads it.
    bool TakeEndsForChange(platform::FileEnds& ends, int folderFd, const std::string& hostName, const std::string& path,
                           Head head = Head::Check);
    // As Open, but the file stays open for writing, and locked, until the next
    // Save, SaveIfUnchanged or Release: a change read now is written without
    // opening the file again. A file this user may not write opens as Open
    // opens it, and its save then fails as Save's would.
    bool OpenForChange(const std::string& path, Head head = Head::Check);
    // OpenForChange for the entry hostName of an open folder, as OpenIn.
    bool OpenForChangeIn(int folderFd, const std::string& hostName, const std::string& path, Head head = Head::Check);
    // Lets go of the file OpenForChange holds, writing nothing.
    void Release() { m_held = platform::CFile(); }
    // Overwrites, appends or cuts the record by the two flags. Does nothing when
    // the file cannot be opened for writing; raises platform::CFileException when
    // a write fails after the open, leaving the file as it was.
    void Save();
    // As Save, but only while the file is still as Open found it (the undo
    // journal recorded that state); otherwise writes nothing and returns false.
    bool SaveIfUnchanged();
    const FileState& GetOpenState() const { return m_openState; }
    void RemoveTag() { m_bHasTag = false; }

    bool HasTag() const { return m_bHasTag; }
    std::uint64_t GetFileLength() const { return m_dwFileLength; }
    const std::string& GetPath() const { return m_strPath; }
    // errno value of the last Open or Save that could not open the file; 0 when it opened.
    int GetLastError() const { return m_nLastError; }
    // Why OpenForChange could not open the file for writing and read it
    // instead (EACCES, EPERM, EROFS, ETXTBSY); 0 when it could or was not asked.
    int GetWriteRefusal() const { return m_nWriteRefusal; }
    // The file starts with "ID3": it also carries an ID3v2 tag, which players
    // may show instead of this one. False when the last Open failed or skipped the head.
    bool HasId3v2() const { return m_bHasId3v2; }

    // A field's text; empty without a tag, except the genre, which reads the
    // record's byte (255, no genre, in the empty record) either way.
    std::string Get(Field field) const;
    // Sets the field in the record and so gives the object a tag.
    void Set(Field field, std::string_view text);

    std::string GetTitle() const { return Get(Field::Title); }
    std::string GetArtist() const { return Get(Field::Artist); }
    std::string GetAlbum() const { return Get(Field::Album); }
    std::string GetYear() const { return Get(Field::Year); }
    std::string GetComment() const { return Get(Field::Comment); }
    std::string GetGenre() const { return Get(Field::Genre); }
    // The record's genre byte: 255 (no genre) in the empty record.
    unsigned char GetGenreByte() const { return m_record.GenreByte(); }
    // The ID3v1.1 track number: byte 126 when byte 125 is zero; 0 for none.
    int GetTrack() const { return m_bHasTag ? m_record.Track() : 0; }

    void SetTitle(std::string_view text) { Set(Field::Title, text); }
    void SetArtist(std::string_view text) { Set(Field::Artist, text); }
    void SetAlbum(std::string_view text) { Set(Field::Album, text); }
    void SetYear(std::string_view text) { Set(Field::Year, text); }
    // A comment of up to 28 bytes keeps a track number the record holds; a
    // longer one takes its place. True when a track number was overwritten.
    bool SetComment(std::string_view text);
    void SetGenre(std::string_view name) { Set(Field::Genre, name); }
    // 1 to 255 sets the track, cutting the comment to 28 bytes; 0 removes a
    // track the tag holds (byte 126 becomes 0) and otherwise changes nothing.
    void SetTrack(unsigned char track);

    // The genre table, for the dialogs' genre boxes.
    static int GetGenreCount() { return kGenreCount; }
    static std::string GetGenreName(int number) { return GenreName(static_cast<unsigned char>(number)); }
    const CId3v1Record::Bytes& GetRecord() const { return m_record.Render(); }

private:
    bool SaveChecked(bool onlyIfUnchanged);
    // Reads the file through openForReading after its open for writing was refused.
    template <typename OpenForReading> bool ReadInstead(int refusal, OpenForReading openForReading);
    // Keeps file, opened for writing, until the save; or, when it did not
    // open, reads the file as fallback opens it.
    template <typename OpenForReading>
    bool HoldOrRead(platform::CFile& file, const std::string& path, Head head, OpenForReading fallback);
    // Reads what Open learns from file, opened or not (then its error is kept).
    bool ReadOpened(platform::CFile& file, const std::string& path, Head head);
    // Starts taking in the file at path; false, with nothing of the previous
    // file kept, when it did not open.
    bool Begin(const std::string& path, bool opened, int openError);
    // Keeps what was read of the open file: its record when tail holds one.
    void Keep(const platform::FileIdentity& identity, bool id3v2, const CId3v1Record::Bytes* tail);

    std::string m_strPath;
    FileState m_openState;
    bool m_bHasTag = false;
    bool m_bTagOnDisk = false;
    bool m_bHasId3v2 = false;
    CId3v1Record m_record;
    // 64-bit so that files over 4 GiB are measured and tagged at the right place.
    std::uint64_t m_dwFileLength = 0;
    int m_nLastError = 0;
    int m_nWriteRefusal = 0;
    platform::CFile m_held; // open from OpenForChange to the save
};
