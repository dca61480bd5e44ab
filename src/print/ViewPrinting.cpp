#include "ViewPrinting.h"

#include "ApplicationPrinter.h"
#include "ListingPrinter.h"
#include "PreviewRedraw.h"
#include "dialogs/LanguageQText.h"
#include "dialogs/ProgressWindow.h"
#include "language/TextIds.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"

#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace {

constexpr const char* kCaption = "Sonadex Pro";

// A direct print has no dialog in which to pick a printer or a file.
bool CanPrintWithoutDialog(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) return !printer.outputFileName().isEmpty();
    return printer.isValid() && !printer.printerName().isEmpty();
}

void Warn(QWidget* view, CTableFile& languageTable, int textNumber)
{
    platform::MessageBox(view, dialogs::LanguageQText(languageTable, textNumber), kCaption,
                         platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

// Collects the files under a progress window; false when its Cancel stopped
// the collection, and then nothing is printed.
bool Collect(QWidget* view, CListingPrinter& listing, const QPaintDevice& printer, CTableFile& languageTable)
{
    dialogs::CProgressWindow progress(view, languageTable);
    listing.OnBeginPrinting(printer, progress.Hook());
    return !progress.Cancelled();
}

void PrintCollected(QWidget* view, CListingPrinter& listing, QPrinter& printer, CTableFile& languageTable)
{
    if (!Collect(view, listing, printer, languageTable)) return;
    // The platform reports a printer that cannot be opened; so do we, rather than end silently.
    if (listing.PrintPages(printer) < 0) Warn(view, languageTable, text::kPrintFailed);
    listing.OnEndPrinting();
}

void Print(QWidget* view, CListingPrinter& listing, CPrintSettingsDlg& settings, QPrinter& printer,
           CTableFile& languageTable)
{
    if (!listing.OnPreparePrinting(settings, printer, true, view)) return;
    PrintCollected(view, listing, printer, languageTable);
}

void PrintDirect(QWidget* view, CListingPrinter& listing, CPrintSettingsDlg& settings, QPrinter& printer,
                 CTableFile& languageTable)
{
    if (!listing.OnPreparePrinting(settings, printer, false, view)) return;
    if (!CanPrintWithoutDialog(printer)) {
        Warn(view, languageTable, text::kNoPrinter);
        return;
    }
    PrintCollected(view, listing, printer, languageTable);
}

void Preview(QWidget* view, CListingPrinter& listing, CPrintSettingsDlg& settings, QPrinter& printer,
             CTableFile& languageTable)
{
    if (!listing.OnPreparePrinting(settings, printer, false, view)) return;
    if (!Collect(view, listing, printer, languageTable)) return;
    QPrintPreviewDialog preview(&printer, view);
    // Qt's own size hides toolbar buttons on a scaled screen; the window's size shows them all.
    if (view) preview.resize(view->window()->size());
    // Every redraw draws its pages afresh from the collected paths.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                     [&listing](QPrinter* target) { listing.PrintPages(*target); });
    // Zooming or turning pages draws them again too, reading the tags anew.
    if (auto* pages = preview.findChild<QPrintPreviewWidget*>()) RedrawOnEveryChange(*pages);
    preview.exec();
    listing.OnEndPrinting();
}

} // namespace

void RunViewPrinting(QWidget* view, PrintMode mode, const std::string& folder, CTableFile& languageTable,
                     CPrintSettingsDlg& settings)
{
    QPrinter& printer = ApplicationPrinter();
    // The shared printer keeps the page range of the last print dialog; a
    // preview and a direct print show all pages.
    if (mode != PrintMode::Print) printer.setPrintRange(QPrinter::AllPages);
    CListingPrinter listing(folder, languageTable);
    switch (mode) {
    case PrintMode::Print:
        Print(view, listing, settings, printer, languageTable);
        break;
    case PrintMode::Direct:
        PrintDirect(view, listing, settings, printer, languageTable);
        break;
    case PrintMode::Preview:
        Preview(view, listing, settings, printer, languageTable);
        break;
    }
}

void RunPrinterSetup(QWidget* parent)
{
    QPageSetupDialog dialog(&ApplicationPrinter(), parent);
    dialog.exec();
}
