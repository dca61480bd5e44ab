#include "ListingPrinter.h"

#include "CellText.h"
#include "PrintSettingsDlg.h"
#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "ops/FormatFileSize.h"
#include "ops/PrintFiles.h"
#include "platform/Machine.h"
#include "platform/PathText.h"
#include "platform/QtText.h"
#include "platform/SystemPathName.h"
#include "tag/Id3v1Tag.h"

#include <QDate>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPageRanges>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace {

constexpr int kFileNameUnits = 3;
constexpr int kOtherUnits = 1;
// Rows per page are the page height in line heights less this many lines of
// header and bottom margin.
constexpr int kReservedLines = 4;
constexpr double kListingFontInches = 0.12;
constexpr std::string_view kCellGap = "   ";

struct Column {
    bool PrintChoice::*chosen;
    int units;
    int heading; // language text
    std::string (*cell)(const CId3v1Tag& tag);
};

// In printing order. The file name cell comes from the path, not the tag.
const std::array<Column, 8> kColumns{{
    {&PrintChoice::printFileName, kFileNameUnits, text::kFile, nullptr},
    {&PrintChoice::printFileSize, kOtherUnits, text::kSize,
     [](const CId3v1Tag& t) { return FormatFileSize(t.GetFileLength()); }},
    {&PrintChoice::printArtist, kOtherUnits, text::kArtist, [](const CId3v1Tag& t) { return t.GetArtist(); }},
    {&PrintChoice::printTitle, kOtherUnits, text::kTitle, [](const CId3v1Tag& t) { return t.GetTitle(); }},
    {&PrintChoice::printAlbum, kOtherUnits, text::kAlbum, [](const CId3v1Tag& t) { return t.GetAlbum(); }},
    {&PrintChoice::printYear, kOtherUnits, text::kYear, [](const CId3v1Tag& t) { return t.GetYear(); }},
    {&PrintChoice::printGenre, kOtherUnits, text::kGenre, [](const CId3v1Tag& t) { return t.GetGenre(); }},
    {&PrintChoice::printComment, kOtherUnits, text::kComment, [](const CId3v1Tag& t) { return t.GetComment(); }},
}};

int CountUnits(const PrintChoice& choice)
{
    int units = 0;
    for (const Column& column : kColumns)
        if (choice.*column.chosen) units += column.units;
    return units;
}

// The height of "Tg" in the font a painter starts with on this device (the
// font's cell, as the text extent reports it); at least 1, as it divides.
int LineHeight(const QPaintDevice& device)
{
    return std::max(1, QFontMetrics(QFont(), &device).height());
}

// Arial with a character cell (ascent + descent) of 0.12 inch. Qt sizes a
// font by its em, so the em is scaled down until the cell has that height.
QFont ListingFont(const QPaintDevice& device)
{
    const int cell = std::max(1, static_cast<int>(device.logicalDpiY() * kListingFontInches));
    QFont font(QStringLiteral("Arial"));
    font.setWeight(QFont::Normal);
    font.setPixelSize(cell);
    const double cellAtEm = QFontMetricsF(font, &device).height();
    if (cellAtEm > cell) font.setPixelSize(std::max(1, static_cast<int>(std::lround(cell * cell / cellAtEm))));
    return font;
}

// The printout measures and draws UTF-8: file names are host bytes, the
// other texts are converted from the code page where they are read.
QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

double TextWidth(const QPainter& painter, std::string_view utf8)
{
    return QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(FromUtf8(utf8));
}

// GDI prints at the text's top-left corner, Qt at its baseline.
void DrawTextAt(QPainter& painter, double x, int y, std::string_view utf8)
{
    const double ascent = QFontMetricsF(painter.font(), painter.device()).ascent();
    painter.drawText(QPointF(x, y + ascent), FromUtf8(utf8));
}

std::vector<int> PagesToPrint(const QPrinter& printer, int maxPage)
{
    const QPageRanges ranges = printer.pageRanges();
    const bool all = printer.printRange() != QPrinter::PageRange || ranges.isEmpty();
    std::vector<int> pages;
    for (int page = 1; page <= maxPage; ++page)
        if (all || ranges.contains(page)) pages.push_back(page);
    return pages;
}

} // namespace

struct CListingPrinter::Layout {
    int width;   // of the printable area
    double unit; // width of one column unit
    int lineHeight;
};

CListingPrinter::CListingPrinter(std::string folder, CTableFile& languageTable)
    : m_strFolder(std::move(folder)), m_languageTable(languageTable)
{
}

bool CListingPrinter::OnPreparePrinting(CPrintSettingsDlg& settings, QPrinter& printer, bool withPrintDialog,
                                        QWidget* parent)
{
    if (settings.DoModal() != QDialog::Accepted) return false;
    m_choice = settings.Choice();
    if (!withPrintDialog) return true;
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void CListingPrinter::OnBeginPrinting(const QPaintDevice& printer, const ProgressHook& progress)
{
    m_astrPrintFiles.clear();
    CollectPrintFiles(m_strFolder, progress);
    Paginate(printer);
}

void CListingPrinter::CollectPrintFiles(const std::string& folder, const ProgressHook& progress)
{
    // A file without a tag has nothing to show but its name.
    m_astrPrintFiles = ::CollectPrintFiles(folder, m_choice.includeSubfolders, m_choice.printFileName, progress);
}

void CListingPrinter::Paginate(const QPaintDevice& printer)
{
    // A page too short for the header still carries one row, so that every
    // file is printed and the page count stays finite.
    m_nLinesPerPage = std::max(1, printer.height() / LineHeight(printer) - kReservedLines);
    const auto rows = static_cast<int>(m_astrPrintFiles.size());
    m_nMaxPage = std::max(1, (rows + m_nLinesPerPage - 1) / m_nLinesPerPage);
}

void CListingPrinter::OnPrint(QPainter& painter, int page) const
{
    const QPaintDevice& device = *painter.device();
    const int units = CountUnits(m_choice);
    const Layout layout{device.width(), units > 0 ? static_cast<double>(device.width()) / units : 0.0,
                        LineHeight(device)};
    const int lh = layout.lineHeight;

    painter.save();
    painter.setFont(ListingFont(device));
    DrawHeader(painter, layout, page);
    DrawHeadings(painter, layout, 2 * lh);

    int y = 2 * lh + static_cast<int>(0.75 * lh);
    painter.drawLine(0, y, layout.width, y);
    y += static_cast<int>(0.25 * lh);

    const std::size_t first = static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(m_nLinesPerPage);
    const std::size_t last = std::min(m_astrPrintFiles.size(), first + static_cast<std::size_t>(m_nLinesPerPage));
    for (std::size_t row = first; row < last; ++row, y += lh)
        DrawRow(painter, layout, m_astrPrintFiles[row], y);
    painter.restore();
}

void CListingPrinter::DrawHeader(QPainter& painter, const Layout& layout, int page) const
{
    DrawTextAt(painter, 0, 0, "Sonadex Pro");

    char numbers[32];
    std::snprintf(numbers, sizeof numbers, " %d / %d", page, m_nMaxPage);
    const std::string label = platform::ToUtf8(GetText(m_languageTable, text::kPage) + numbers);
    DrawTextAt(painter, std::trunc((layout.width - TextWidth(painter, label)) / 2), 0, label);

    const QDate today = QDate::currentDate();
    char date[32];
    std::snprintf(date, sizeof date, "%02d.%02d.%04d", today.day(), today.month(), today.year());
    DrawTextAt(painter, layout.width - TextWidth(painter, date), 0, date);
}

void CListingPrinter::DrawHeadings(QPainter& painter, const Layout& layout, int y) const
{
    int x = 0;
    for (const Column& column : kColumns) {
        if (!(m_choice.*column.chosen)) continue;
        DrawTextAt(painter, x, y, platform::ToUtf8(GetText(m_languageTable, column.heading)));
        x += static_cast<int>(column.units * layout.unit);
    }
}

void CListingPrinter::DrawRow(QPainter& painter, const Layout& layout, const std::string& path, int y) const
{
    // Read afresh for every page drawn, so a preview shows the files as they are now.
    CId3v1Tag tag;
    const bool opened = tag.Open(path);
    int x = 0;
    for (const Column& column : kColumns) {
        if (!(m_choice.*column.chosen)) continue;
        const double width = column.units * layout.unit;
        if (!column.cell)
            DrawCell(painter, x, y, width, platform::DisplayText(ShownName(path)));
        else if (opened)
            DrawCell(painter, x, y, width, platform::ToUtf8(column.cell(tag)));
        x += static_cast<int>(width);
    }
}

std::string CListingPrinter::ShownName(const std::string& path) const
{
    // With subfolders, rows of different folders may share a name: each shows its folder too.
    const std::string prefix = m_strFolder + "\\";
    if (m_choice.includeSubfolders && path.starts_with(prefix)) return path.substr(prefix.size());
    return std::string(platform::NameOfSystemPath(path));
}

void CListingPrinter::DrawCell(QPainter& painter, int x, int y, double width, const std::string& text)
{
    const double room = width - TextWidth(painter, kCellGap);
    const std::string fitted =
        FitCellText(text, room, [&painter](std::string_view part) { return TextWidth(painter, part); });
    DrawTextAt(painter, x, y, fitted);
}

int CListingPrinter::PrintPages(QPrinter& printer)
{
    Paginate(printer);
    const std::vector<int> pages = PagesToPrint(printer, m_nMaxPage);
    if (pages.empty()) return 0;
    QPainter painter;
    if (!painter.begin(&printer)) return -1;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage()) return -1;
        OnPrint(painter, pages[i]);
    }
    return painter.end() ? static_cast<int>(pages.size()) : -1;
}
