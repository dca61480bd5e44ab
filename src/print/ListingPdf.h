// The file listing printed into a PDF file or on a printer of the system's
// print service, with no dialog: for the command line.
#pragma once

#include "PrintChoice.h"

#include <string>
#include <vector>

class CTableFile;
class QPrinter;

// Sets printer up to write the PDF file pdfHostPath (a host path, UTF-8) on
// paper of pageSize, a standard name such as "A4", "A6" or "Letter" (any
// case). False for an unknown page size.
bool ConfigurePdfPrinter(QPrinter& printer, const std::string& pdfHostPath, const std::string& pageSize);

// Prints every page of folder's listing (folder is a system path) and
// returns the page count, or -1 when the page size is unknown or the file
// cannot be written. Needs a QGuiApplication (the "offscreen" platform will
// do): fonts and their metrics come from Qt.
int PrintListingToPdf(const std::string& folder, const PrintChoice& choice, const std::string& pdfHostPath,
                      const std::string& pageSize, CTableFile& languageTable);

// The printers the system's print service offers, and its default printer
// ("" when none is set). Need a QGuiApplication.
std::vector<std::string> SystemPrinterNames();
std::string DefaultSystemPrinterName();
// The standard names ("A4", "Letter") of the paper sizes a printer offers.
std::vector<std::string> SystemPrinterPaperNames(const std::string& printerName);

// Prints every page of folder's listing on printerName, one of
// SystemPrinterNames(), on paper of pageSize ("" keeps the printer's own),
// and returns the page count, or -1 when the printer or the page size is
// unknown or the print cannot be started.
int PrintListingToPrinter(const std::string& folder, const PrintChoice& choice, const std::string& printerName,
                          const std::string& pageSize, CTableFile& languageTable);
