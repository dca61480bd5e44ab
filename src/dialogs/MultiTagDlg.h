// The modal MultiTag dialog: chosen fields into every MP3 file of a folder.
#pragma once

#include "ops/FileOutcome.h"
#include <QDialog>

#include <array>
#include <string>
#include <vector>

class CTableFile;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
struct TagFields;

class CMultiTagDlg : public QDialog {
    Q_OBJECT
public:
    CMultiTagDlg(std::string folderPath, CTableFile& languageTable, QWidget* parent = nullptr);
    int DoModal(); // QDialog::Accepted after OK (files written), else Rejected

private:
    // Rows of the form, in template order.
    enum Row { kArtist, kTitle, kAlbum, kYear, kGenre, kComment, kRowCount };

    void CreateControls();
    void LayOutControls();
    void InitDialog();
    void ApplyTexts();
    void ExchangeToControls();
    void ExchangeFromControls();
    TagFields ChosenFields() const;
    // Writes the chosen fields into the folder's files (and its subfolders
    // when chosen); returns the number of files processed.
    int TagFolder(const std::string& folderPath);
    // Names the files (and folders) that the last run could not write or read.
    void ReportFailures();

    // Explains the first chosen field that the code page cannot hold; true when one was found.
    bool RefuseUnholdableFields();

    void OnOkClicked();
    void OnCancelClicked();

    std::string m_folderPath;
    CTableFile& m_languageTable;

    std::array<QCheckBox*, kRowCount> m_useBoxes{};
    std::array<QLineEdit*, kRowCount> m_edits{}; // no edit in the genre row
    QComboBox* m_genreBox = nullptr;
    QCheckBox* m_subfolderBox = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;

    std::string m_album, m_artist;
    bool m_useAlbum = false, m_useArtist = false, m_useComment = false, m_useGenre = false;
    bool m_includeSubfolders = false, m_useTitle = false, m_useYear = false;
    std::string m_comment, m_title, m_year;
    std::vector<FileOutcome> m_failures; // of the current OK
};
