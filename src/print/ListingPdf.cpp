#include "ListingPdf.h"

#include "ListingPrinter.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPrinter>

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

    CListingPrinter listing(folder, languageTable);
    listing.SetChoice(choice);
    listing.OnBeginPrinting(printer);
    const int pages = listing.PrintPages(printer);
    listing.OnEndPrinting();
    return pages;
}
