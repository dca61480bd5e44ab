#include "ViewPrinting.h"

#include "ApplicationPrinter.h"
#include "ListingPrinter.h"
#include "PreviewRedraw.h"
#include "platform/MessageBox.h"

#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace {

constexpr const char* kCaption = "Sonadex Pro";
constexpr const char* kNoPrinter = "Es ist kein Drucker eingerichtet.";
constexpr const char* kPrintFailed = "Der Druck konnte nicht gestartet werden.";

// A direct print has no dialog in which to pick a printer or a file.
bool CanPrintWithoutDialog(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) return !printer.outputFileName().isEmpty();
    return printer.isValid() && !printer.printerName().isEmpty();
}

void Warn(QWidget* view, const char* text)
{
    platform::MessageBox(view, text, kCaption, platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

void PrintCollected(QWidget* view, CListingPrinter& listing, QPrinter& printer)
{
    listing.OnBeginPrinting(printer);
    // The platform reports a printer that cannot be opened; so do we, rather than end silently.
    if (listing.PrintPages(printer) < 0) Warn(view, kPrintFailed);
    listing.OnEndPrinting();
}

void Print(QWidget* view, CListingPrinter& listing, CPrintSettingsDlg& settings, QPrinter& printer)
{
    if (!listing.OnPreparePrinting(settings, printer, true, view)) return;
    PrintCollected(view, listing, printer);
}

void PrintDirect(QWidget* view, CListingPrinter& listing, CPrintSettingsDlg& settings, QPrinter& printer)
{
    if (!listing.OnPreparePrinting(settings, printer, false, view)) return;
    if (!CanPrintWithoutDialog(printer)) {
        Warn(view, kNoPrinter);
        return;
    }
    PrintCollected(view, listing, printer);
}

void Preview(QWidget* view, CListingPrinter& listing, CPrintSettingsDlg& settings, QPrinter& printer)
{
    if (!listing.OnPreparePrinting(settings, printer, false, view)) return;
    listing.OnBeginPrinting(printer);
    QPrintPreviewDialog preview(&printer, view);
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
        Print(view, listing, settings, printer);
        break;
    case PrintMode::Direct:
        PrintDirect(view, listing, settings, printer);
        break;
    case PrintMode::Preview:
        Preview(view, listing, settings, printer);
        break;
    }
}

void RunPrinterSetup(QWidget* parent)
{
    QPageSetupDialog dialog(&ApplicationPrinter(), parent);
    dialog.exec();
}
