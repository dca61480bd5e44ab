// The printed file listing: collecting the files, paginating, drawing a page.
#pragma once

#include "PrintChoice.h"
#include "ops/WorkProgress.h"

#include <string>
#include <vector>

class CPrintSettingsDlg;
class CTableFile;
class QPainter;
class QPaintDevice;
class QPrinter;
class QWidget;

// Follows the framework's print protocol: OnPreparePrinting, OnBeginPrinting,
// OnPrint for each page wanted (in any order, as often as a preview redraws),
// OnEndPrinting. Every measurement is taken on the printer, also during a
// preview, so that print and preview paginate alike. Coordinates are the
// printer's device pixels from the printable area's top-left corner.
class CListingPrinter {
public:
    // folder is the system path of the listed folder.
    CListingPrinter(std::string folder, CTableFile& languageTable);

    // The settings dialog, then the system print dialog on printer when
    // withPrintDialog. False when either is cancelled: nothing is printed.
    bool OnPreparePrinting(CPrintSettingsDlg& settings, QPrinter& printer, bool withPrintDialog, QWidget* parent);
    // For callers that choose the columns without a dialog.
    void SetChoice(const PrintChoice& choice) { m_choice = choice; }

    // Collects the files, then paginates for printer. progress is told after
    // each file; stopping it leaves the files collected so far.
    void OnBeginPrinting(const QPaintDevice& printer, const ProgressHook& progress = {});
    // Lines per page and page count for printer; a preview calls it again
    // when its page setup changes.
    void Paginate(const QPaintDevice& printer);
    // Draws page (1-based) with painter, which is open on the printer.
    void OnPrint(QPainter& painter, int page) const;
    void OnEndPrinting() { m_astrPrintFiles.clear(); }

    // Paginates for printer and prints the pages of its page range (all when
    // it has none). Returns the number of pages printed, or -1 when the
    // printer cannot be opened.
    int PrintPages(QPrinter& printer);

    int GetLinesPerPage() const { return m_nLinesPerPage; }
    int GetMaxPage() const { return m_nMaxPage; }
    const std::vector<std::string>& GetPrintFiles() const { return m_astrPrintFiles; }

private:
    struct Layout;

    void CollectPrintFiles(const std::string& folder, const ProgressHook& progress);
    void DrawHeader(QPainter& painter, const Layout& layout, int page) const;
    void DrawHeadings(QPainter& painter, const Layout& layout, int y) const;
    void DrawRow(QPainter& painter, const Layout& layout, const std::string& path, int y) const;
    // The name column: the file name, or with subfolders its path below the folder printed.
    std::string ShownName(const std::string& path) const;
    static void DrawCell(QPainter& painter, int x, int y, double width, const std::string& text);

    std::string m_strFolder;
    CTableFile& m_languageTable;
    PrintChoice m_choice;
    std::vector<std::string> m_astrPrintFiles;
    int m_nLinesPerPage = 1;
    int m_nMaxPage = 1;
};
