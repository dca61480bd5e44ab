#include "ListingPdf.h"

#include "ListingPrinter.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <optional>

namespace {

std::optional<QPageSize::PageSizeId> PageSizeByName(const std::string& name)
{
    const QString wanted = QString::fromStdString(name);
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const auto pageId = static_cast<QPageSize::PageSizeId>(id);
        if (pageId != QPageSize::Custom && QPageSize::key(pageId).compare(wanted, Qt::CaseInsensitive) == 0)
            return pageId;
    }
    return std::nullopt;
}

// The pages drawn as the window's Print command draws them.
int PrintPagesOn(QPrinter& printer, const std::string& folder, const PrintChoice& choice, CTableFile& languageTable)
{
    CListingPrinter listing(folder, languageTable);
    listing.SetChoice(choice);
    listing.OnBeginPrinting(printer);
    const int pages = listing.PrintPages(printer);
    listing.OnEndPrinting();
    return pages;
}

} // namespace

bool ConfigurePdfPrinter(QPrinter& printer, const std::string& pdfHostPath, const std::string& pageSize)
{
    const std::optional<QPageSize::PageSizeId> id = PageSizeByName(pageSize);
    if (!id) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdfHostPath));
    return printer.setPageSize(QPageSize(*id));
}

int PrintListingToPdf(const std::string& folder, const PrintChoice& choice, const std::string& pdfHostPath,
                      const std::string& pageSize, CTableFile& languageTable)
{
    // Qt's fonts abort the program without a GUI application object.
    if (!qGuiApp || pdfHostPath.empty()) return -1;
    QPrinter printer(QPrinter::HighResolution);
    if (!ConfigurePdfPrinter(printer, pdfHostPath, pageSize)) return -1;
    return PrintPagesOn(printer, folder, choice, languageTable);
}

std::vector<std::string> SystemPrinterNames()
{
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        names.push_back(name.toStdString());
    return names;
}

std::string DefaultSystemPrinterName()
{
    return QPrinterInfo::defaultPrinterName().toStdString();
}

std::vector<std::string> SystemPrinterPaperNames(const std::string& printerName)
{
    std::vector<std::string> names;
    for (const QPageSize& size : QPrinterInfo::printerInfo(QString::fromStdString(printerName)).supportedPageSizes())
        if (size.id() != QPageSize::Custom) names.push_back(QPageSize::key(size.id()).toStdString());
    return names;
}

int PrintListingToPrinter(const std::string& folder, const PrintChoice& choice, const std::string& printerName,
                          const std::string& pageSize, CTableFile& languageTable)
{
    if (!qGuiApp) return -1;
    const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(printerName));
    if (info.isNull()) return -1;
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid()) return -1;
    if (!pageSize.empty()) {
        const std::optional<QPageSize::PageSizeId> id = PageSizeByName(pageSize);
        if (!id || !printer.setPageSize(QPageSize(*id))) return -1;
    }
    return PrintPagesOn(printer, folder, choice, languageTable);
}
