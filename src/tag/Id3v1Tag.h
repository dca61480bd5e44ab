// The ID3v1 tag of one MP3 file: the 128-byte record at the file's end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CId3v1Tag {
public:
    static constexpr std::size_t kRecordSize = 128;
    static constexpr int kGenreCount = 148;
    static constexpr unsigned char kNoGenre = 255;

    CId3v1Tag();

    // path is a system path. Nonzero when the file could be opened for reading.
    bool Open(const std::string& path);
    // Overwrites, appends or cuts the record by the two flags. Does nothing when
    // the file cannot be opened for writing; raises platform::CFileException when
    // a write fails after the open, leaving the file as it was.
    void Save();
    void RemoveTag() { m_bHasTag = false; }

    bool HasTag() const { return m_bHasTag; }
    std::uint64_t GetFileLength() const { return m_dwFileLength; }
    const std::string& GetPath() const { return m_strPath; }
    // errno value of the last Open or Save that could not open the file; 0 when it opened.
    int GetLastError() const { return m_nLastError; }
    // The file starts with "ID3": it also carries an ID3v2 tag, which players
    // may show instead of this one. False when the last Open failed.
    bool HasId3v2() const { return m_bHasId3v2; }

    std::string GetTitle() const;
    std::string GetArtist() const;
    std::string GetAlbum() const;
    std::string GetYear() const;
    std::string GetComment() const;
    std::string GetGenre() const;
    // The ID3v1.1 track number: byte 126 when byte 125 is zero; 0 for none.
    int GetTrack() const;

    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetYear(std::string_view text);
    // A comment of up to 28 bytes keeps a track number the record holds; a
    // longer one takes its place. True when a track number was overwritten.
    bool SetComment(std::string_view text);
    void SetGenre(std::string_view name);
    // 1 to 255 sets the track, cutting the comment to 28 bytes; 0 removes a
    // track the tag holds (byte 126 becomes 0) and otherwise changes nothing.
    void SetTrack(unsigned char track);

    int GetGenreCount() const { return static_cast<int>(m_astrGenres.size()); }
    const std::string& GetGenreName(int number) const { return m_astrGenres.at(static_cast<std::size_t>(number)); }
    const std::vector<std::string>& GetGenres() const { return m_astrGenres; }
    const std::array<unsigned char, kRecordSize>& GetRecord() const { return m_record; }

private:
    std::string ReadField(std::size_t offset, std::size_t width) const;
    int RecordTrack() const;
    void WriteField(std::size_t offset, std::size_t width, std::string_view text);
    void SetEmptyRecord();

    std::vector<std::string> m_astrGenres;
    std::string m_strPath;
    bool m_bHasTag = false;
    bool m_bTagOnDisk = false;
    bool m_bHasId3v2 = false;
    std::array<unsigned char, kRecordSize> m_record{};
    // 64-bit so that files over 4 GiB are measured and tagged at the right place.
    std::uint64_t m_dwFileLength = 0;
    int m_nLastError = 0;
};
