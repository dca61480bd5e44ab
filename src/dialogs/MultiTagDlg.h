// The modal MultiTag dialog: chosen fields into every MP3 file of a folder.
#pragma once

#include <QDialog>
#include <string>

class CTableFile;

class CMultiTagDlg : public QDialog {
    Q_OBJECT
public:
    CMultiTagDlg(std::string folderPath, CTableFile& languageTable, QWidget* parent = nullptr);
    int DoModal();  // QDialog::Accepted after OK (files written), else Rejected

private:
    std::string m_folderPath;
    CTableFile& m_languageTable;
};
