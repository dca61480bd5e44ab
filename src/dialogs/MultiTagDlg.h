// The modal MultiTag dialog: chosen fields into every MP3 file of a folder.
#pragma once

#include "ops/FileOutcome.h"
#include "tag/Field.h"

#include <QDialog>

#include <string>
#include <vector>

class CTableFile;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
struct TagFields;
namespace journal {
class CJournalEntry;
}

class CMultiTagDlg : public QDialog {
    Q_OBJECT
public:
    CMultiTagDlg(std::string folderPath, CTableFile& languageTable, QWidget* parent = nullptr);
    int DoModal(); // QDialog::Accepted after OK (files written), else Rejected

private:
    void CreateControls();
    void LayOutControls();
    void InitDialog();
    void ApplyTexts();
    void ExchangeToControls();
    void ExchangeFromControls();
    TagFields ChosenFields() const;
    // Writes the chosen fields into the folder's files (and its subfolders
    // when chosen) under a progress window whose Cancel stops between two
    // files; returns the number of files processed.
    int TagFolder(const std::string& folderPath, journal::CJournalEntry& journal);
    // Names the files (and folders) that the last run could not write or read.
    void ReportFailures();

    // Explains the first chosen field that the code page cannot hold; true when one was found.
    bool RefuseUnholdableFields();

    void OnOkClicked();
    void OnCancelClicked();

    std::string m_folderPath;
    CTableFile& m_languageTable;

    // The form's rows are the fields, in Field order.
    FieldArray<QCheckBox*> m_useBoxes{};
    FieldArray<QLineEdit*> m_edits{}; // no edit in the genre row
    QComboBox* m_genreBox = nullptr;
    QCheckBox* m_subfolderBox = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;

    FieldArray<std::string> m_values; // the edits' texts; none for the genre
    FieldArray<bool> m_use{};         // the field is chosen
    bool m_includeSubfolders = false;
    std::vector<FileOutcome> m_failures; // of the current OK
};
