// The file listing printed into a PDF file, with no dialog: for the command line.
#pragma once

#include "PrintChoice.h"

#include <string>

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
