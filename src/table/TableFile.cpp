#include "TableFile.h"

#include "HexEnvelope.h"
#include "TempFile.h"
#include "TextModeReader.h"
#include "WholeFile.h"

#include "platform/SystemPathName.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace {

constexpr std::size_t kWidthLineBuffer = 1024;
constexpr std::size_t kNameLineBuffer = 65536;
constexpr std::size_t kWidthTextLength = 3;
// A row buffer holds the row, its line end and a terminator.
constexpr int kRowBufferExtra = 2;
constexpr char kSeparator[] = "\xA5QZRS\xA5";
constexpr std::size_t kSeparatorLength = sizeof(kSeparator) - 1;
constexpr char kWhiteSpace[] = " \t\r\n\v\f";
constexpr char kLineEnd[] = "\r\n";
constexpr char kPlainExtension[] = ".txt";

void TrimRight(std::string& text)
{
    text.erase(text.find_last_not_of(kWhiteSpace) + 1);
}

void SplitWidths(const std::string& line, std::vector<std::string>& widths)
{
    for (std::size_t at = 0; at < line.size(); at += kWidthTextLength)
        widths.push_back(line.substr(at, kWidthTextLength));
}

// A separator at the very start ends the scan at once, so such a line has no names.
void SplitNames(const std::string& line, std::vector<std::string>& names)
{
    std::size_t start = 0;
    for (std::size_t sep = line.find(kSeparator); sep != std::string::npos && sep > 0;
         sep = line.find(kSeparator, start)) {
        names.push_back(line.substr(start, sep - start));
        start = sep + kSeparatorLength;
    }
}

// The plain text of the envelope at path, unwrapped without a temporary
// file; the stored name is checked as a decode to a file checks it.
std::optional<std::string> UnwrapInMemory(const std::string& path, std::string& storedName)
{
    const std::optional<std::string> envelope = table::ReadWholeFile(path);
    std::optional<CHexEnvelope::Content> content = envelope ? CHexEnvelope::Unwrap(*envelope) : std::nullopt;
    if (!content || !CHexEnvelope::IsSafeName(content->storedName)) return std::nullopt;
    storedName = std::move(content->storedName);
    return std::move(content->plain);
}

} // namespace

CTableFile::CTableFile(std::string path) : m_strPath(std::move(path))
{
}

bool CTableFile::Fail(int code)
{
    m_nLastError = code;
    return false;
}

void CTableFile::Clear()
{
    m_astrNames.clear();
    m_astrWidths.clear();
    m_astrRows.clear();
}

bool CTableFile::IsLoaded() const
{
    return !m_strPath.empty() && (!m_astrNames.empty() || !m_astrWidths.empty() || !m_astrRows.empty());
}

// atol of the width text; a negative width counts as 0, so that no offset or
// row buffer can shrink below what the rows need. A column without a width
// text (more names than widths) has width 0.
std::size_t CTableFile::ColumnWidth(std::size_t column) const
{
    if (column >= m_astrWidths.size()) return 0;
    return static_cast<std::size_t>(std::max(0L, std::atol(m_astrWidths[column].c_str())));
}

std::size_t CTableFile::WidthsBefore(std::size_t column) const
{
    std::size_t sum = 0;
    for (std::size_t before = 0; before < column && before < m_astrWidths.size(); ++before)
        sum += ColumnWidth(before);
    return sum;
}

bool CTableFile::Load(const std::string& path)
{
    if (IsLoaded()) return Fail(kAlreadyLoaded);
    if (!path.empty()) m_strPath = path;
    if (m_strPath.empty()) return Fail(kNoPath);
    Clear();
    const std::optional<std::string> plain = DecodePlainText();
    if (!plain) return Fail(kPlainFile);
    return ReadTable(*plain);
}

bool CTableFile::LoadPlain(const std::string& path, const std::string& plain)
{
    if (IsLoaded()) return Fail(kAlreadyLoaded);
    if (path.empty()) return Fail(kNoPath);
    m_strPath = path;
    Clear();
    return ReadTable(plain);
}

// Decodes into a fresh temporary file of the table's folder rather than under
// the stored name, so that no file of the folder (the table itself included)
// is ever replaced or deleted. The temporary file is gone on return.
std::optional<std::string> CTableFile::DecodePlainText()
{
    std::optional<table::CTempFile> temp = table::CTempFile::CreateBeside(m_strPath);
    // A folder that takes no new file (language files installed read-only):
    // the envelope is unwrapped in memory instead.
    if (!temp) return UnwrapInMemory(m_strPath, m_strStoredName);
    m_strTempPath = temp->SystemPath();
    std::string storedName;
    if (!CHexEnvelope().DecodeTo(m_strPath, m_strTempPath, &storedName)) return std::nullopt;
    std::optional<std::string> plain = table::ReadWholeFile(m_strTempPath);
    if (plain) m_strStoredName = storedName;
    return plain;
}

bool CTableFile::ReadTable(const std::string& plain)
{
    table::CTextModeReader reader(plain);
    std::string line;
    if (!reader.GetLine(kWidthLineBuffer, line)) return Fail(kTruncated);
    // The header lines are one line each whatever their length: a part left
    // over from an over-long line must not be read as the next header line,
    // or every rewrite would shift the names into the rows.
    reader.SkipRestOfLine();
    TrimRight(line);
    SplitWidths(line, m_astrWidths);
    if (!reader.GetLine(kNameLineBuffer, line)) {
        Clear();
        return Fail(kTruncated);
    }
    reader.SkipRestOfLine();
    TrimRight(line);
    SplitNames(line, m_astrNames);

    const std::size_t rowWidth = WidthsBefore(m_astrWidths.size());
    m_nRecordWidth = static_cast<int>(rowWidth) + kRowBufferExtra;
    while (reader.GetLine(static_cast<std::size_t>(m_nRecordWidth), line)) {
        if (!line.empty() && line.back() == '\n') line.pop_back();
        if (line.size() > rowWidth) line.resize(rowWidth);
        m_astrRows.push_back(line);
    }
    m_nCurrentRow = 0;
    m_nLastError = kNoError;
    return true;
}

bool CTableFile::Close()
{
    if (!IsLoaded()) return Fail(kNotLoaded);
    if (!WriteBack()) return Fail(kPlainFile);
    Clear();
    return true;
}

// The plain text goes to a temporary file, its envelope to a second one, and
// only a complete, synced envelope replaces the table file in one rename: a
// failure at any step leaves the old table file as it was.
bool CTableFile::WriteBack()
{
    std::optional<table::CTempFile> plain = table::CTempFile::CreateBeside(m_strPath);
    if (!plain) return false;
    m_strTempPath = plain->SystemPath();
    if (!table::WriteWholeFile(m_strTempPath, PlainText())) return false;
    std::optional<table::CTempFile> envelope = table::CTempFile::CreateBeside(m_strPath);
    if (!envelope) return false;
    if (!CHexEnvelope().EncodeAs(m_strTempPath, StoredName(), envelope->SystemPath())) return false;
    return envelope->Replace();
}

std::string CTableFile::PlainText() const
{
    std::string text;
    for (const std::string& width : m_astrWidths)
        text += width;
    text += kLineEnd;
    for (const std::string& name : m_astrNames)
        text += name + kSeparator;
    text += kLineEnd;
    for (const std::string& row : m_astrRows)
        text += row + kLineEnd;
    return text;
}

// The name stored by the envelope that was loaded; for a table made by
// Create, the table's base name with ".txt" ("Deutsch.qzd" -> "Deutsch.txt").
std::string CTableFile::StoredName() const
{
    if (!m_strStoredName.empty()) return m_strStoredName;
    std::string name(platform::NameOfSystemPath(m_strPath));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return CHexEnvelope::StoredNameOf(name + kPlainExtension);
}

void CTableFile::Create(const std::string& path, std::vector<std::string> names, std::vector<std::string> widths,
                        std::vector<std::string> rows)
{
    m_strPath = path;
    m_astrNames = std::move(names);
    m_astrWidths = std::move(widths);
    m_astrRows = std::move(rows);
    m_strStoredName.clear();
    m_nRecordWidth = static_cast<int>(WidthsBefore(m_astrWidths.size())) + kRowBufferExtra;
    m_nCurrentRow = 0;
    m_nLastError = kNoError;
}

int CTableFile::GetRowCount()
{
    if (!IsLoaded()) {
        Fail(kNotLoaded);
        return 0;
    }
    return static_cast<int>(m_astrRows.size());
}

bool CTableFile::MoveNext()
{
    if (!IsLoaded()) return Fail(kNotLoaded);
    if (m_astrRows.empty()) return Fail(kNoRow);
    if (++m_nCurrentRow == static_cast<int>(m_astrRows.size())) {
        --m_nCurrentRow;
        return Fail(kLastRow);
    }
    return true;
}

bool CTableFile::FindFirst(const std::string& condition)
{
    if (!IsLoaded()) return Fail(kNotLoaded);
    if (condition.empty()) return Fail(kBadCondition);
    m_nCurrentRow = -1;
    const std::size_t equals = condition.find('=');
    if (equals == std::string::npos) return Fail(kBadCondition);
    const int column = GetColumnIndex(condition.substr(0, equals));
    const std::string value = condition.substr(equals + 1);
    while (MoveNext())
        if (GetField(column) == value) return true;
    return false;
}

int CTableFile::GetColumnIndex(const std::string& name) const
{
    const auto found = std::find(m_astrNames.begin(), m_astrNames.end(), name);
    return found == m_astrNames.end() ? -1 : static_cast<int>(found - m_astrNames.begin());
}

// Why GetField cannot read the column's field, or kNoError.
int CTableFile::FieldError(int column) const
{
    if (!IsLoaded()) return kNotLoaded;
    // The columns are the names: a width text beyond the names has no column.
    if (column < 0 || column >= static_cast<int>(m_astrNames.size())) return kBadColumn;
    if (m_nCurrentRow < 0 || m_nCurrentRow >= static_cast<int>(m_astrRows.size())) return kNoRow;
    return kNoError;
}

std::string CTableFile::GetField(int column)
{
    if (const int error = FieldError(column); error != kNoError) {
        Fail(error);
        return {};
    }
    const auto index = static_cast<std::size_t>(column);
    const std::size_t offset = WidthsBefore(index);
    const std::string& row = m_astrRows[static_cast<std::size_t>(m_nCurrentRow)];
    std::string field = offset < row.size() ? row.substr(offset, ColumnWidth(index)) : std::string();
    TrimRight(field);
    return field;
}

std::string CTableFile::GetField(const std::string& columnName)
{
    return GetField(GetColumnIndex(columnName));
}
