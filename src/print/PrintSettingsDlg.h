// The print settings dialog: which columns a printed listing shows.
#pragma once

#include <QDialog>

class CTableFile;

class CPrintSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CPrintSettingsDlg(CTableFile& languageTable, QWidget* parent = nullptr);
    int DoModal();  // QDialog::Accepted keeps the new choice

    bool m_printAlbum = true;
    bool m_printArtist = true;
    bool m_printComment = true;
    bool m_printFileName = true;
    bool m_printFileSize = true;
    bool m_printGenre = true;
    bool m_includeSubfolders = false;
    bool m_printTitle = true;
    bool m_printYear = true;

private:
    CTableFile& m_languageTable;
};
