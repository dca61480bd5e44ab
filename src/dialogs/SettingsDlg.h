// The modal settings dialog: rename pattern, prompt option, language.
#pragma once

#include <QDialog>
#include <string>

class CTableFile;

class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CSettingsDlg(CTableFile& languageTable, QWidget* parent = nullptr);
    int DoModal();  // QDialog::Accepted after a successful OK

    // Set by the caller before DoModal, read after it.
    std::string m_language;
    std::string m_languageFolder;
    bool m_languageChanged = false;
    bool m_prompt = false;
    std::string m_pattern;

private:
    CTableFile& m_languageTable;
};
