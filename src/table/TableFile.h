// A table of named fixed-width text columns kept in a hex envelope (".qzd").
#pragma once

#include <optional>
#include <string>
#include <vector>

class CTableFile {
public:
    explicit CTableFile(std::string path = {});
    virtual ~CTableFile() = default;
    CTableFile(const CTableFile&) = delete;
    CTableFile& operator=(const CTableFile&) = delete;

    bool Load(const std::string& path = {});
    // For tools that hold a table's plain text already unwrapped: reads it as
    // Load reads a file; path names the table for a later Close.
    bool LoadPlain(const std::string& path, const std::string& plain);
    bool IsLoaded() const;
    bool Close();
    int GetRowCount();
    bool MoveNext();
    bool FindFirst(const std::string& condition);
    int GetColumnIndex(const std::string& name) const;
    std::string GetField(int column);
    std::string GetField(const std::string& columnName);

    int GetLastError() const { return m_nLastError; }
    const std::string& GetPath() const { return m_strPath; }

    // For tools that build a table from scratch: set the columns and rows, then Close.
    // The envelope then stores the table's base name with ".txt" (see StoredName).
    void Create(const std::string& path, std::vector<std::string> names, std::vector<std::string> widths,
                std::vector<std::string> rows);

    // Reason codes kept in m_nLastError.
    enum Error {
        kNoError = 0,
        kAlreadyLoaded = 1,
        kNoPath = 2,
        kPlainFile = 3,
        kTruncated = 4,
        kNotLoaded = 5,
        kNoRow = 6,
        kLastRow = 7,
        kBadCondition = 9,
        kBadColumn = 11,
    };

private:
    bool Fail(int code);
    std::optional<std::string> DecodePlainText();
    bool ReadTable(const std::string& plain);
    bool WriteBack();
    std::string PlainText() const;
    std::string StoredName() const;
    void Clear();
    std::size_t ColumnWidth(std::size_t column) const;
    std::size_t WidthsBefore(std::size_t column) const;
    int FieldError(int column) const;

    std::string m_strPath;
    std::string m_strTempPath;
    std::vector<std::string> m_astrNames;
    std::vector<std::string> m_astrWidths;
    std::vector<std::string> m_astrRows;
    int m_nCurrentRow = -1;
    int m_nLastError = 0;
    int m_nRecordWidth = 0;
    // The plain file's name as the envelope stored it; written back by Close.
    std::string m_strStoredName;
};
