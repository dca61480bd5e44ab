// The view's printing: settings, print dialog, pages, for print and preview alike.
#pragma once

#include <string>

class CPrintSettingsDlg;
class CTableFile;
class QWidget;

enum class PrintMode { Print, Direct, Preview };

// Runs the whole print or preview of folder's listing: the print settings
// dialog first, the system print dialog when mode is Print, then the pages.
void RunViewPrinting(QWidget* view, PrintMode mode, const std::string& folder, CTableFile& languageTable,
                     CPrintSettingsDlg& settings);
// The platform's printer / page setup.
void RunPrinterSetup(QWidget* parent);
