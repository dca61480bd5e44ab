// The modal tag editor of one MP3 file.
#pragma once

#include "tag/Field.h"
#include "tag/Id3v1Tag.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

class CTableFile;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
namespace journal {
class CJournalEntry;
}

class CTagEditDlg : public QDialog {
    Q_OBJECT
public:
    // filePath is a system path; the dialog does not touch the file until DoModal.
    CTagEditDlg(std::string filePath, std::string pattern, CTableFile& languageTable, QWidget* parent = nullptr);
    // Runs the dialog modally; QDialog::Accepted or QDialog::Rejected. Callers act on Changed().
    int DoModal();

    // The undo journal entry of the operation the editor runs inside (Rename's
    // prompt), which its Save and Rename then write into; without one each
    // Save and each Rename is an operation of its own.
    void SetJournal(journal::CJournalEntry* entry) { m_journal = entry; }

    // A Save, or a Rename of a tagged file, happened.
    bool Changed() const { return m_changed; }
    const std::string& FilePath() const { return m_filePath; }

    // ... controls, handlers and the rest are private to the dialog.
private:
    void CreateControls();
    void LayOutControls();
    // Start-up after the controls exist; false when the file cannot be opened.
    bool InitDialog();
    void ApplyTexts();
    void FillGenreBox();
    void FillFromTag();
    void ExchangeToControls();
    void ExchangeFromControls();
    void SetDefaultButton(QPushButton* button);
    // Writes the tag; false (after telling the user why) when the file was not written.
    bool SaveTag();
    // Renames the file by its tag, as Rename does; the dialog follows the moved file.
    void RenameByTag();
    // Runs change with the journal entry it belongs to: the outer one, or a
    // new one named command; false after telling the user why the journal
    // cannot be written.
    bool Journalled(const char* command, const std::function<void(journal::CJournalEntry*)>& change);
    void ReportSaveFailure(int osError);

    // The controls' texts as last loaded from or saved into the file.
    void RememberShownTexts();
    QString ShownText(Field field) const;
    bool IsEdited(Field field) const { return ShownText(field) != At(m_shownTexts, field); }
    // Explains the first edited field that the code page cannot hold; true when one was found.
    bool RefuseUnholdableEdits();
    // A field the user did not edit keeps its bytes (padding, bytes the page leaves undefined).
    void SetEditedFields(CId3v1Tag& tag) const;

    void OnFieldChanged();
    void OnSaveClicked();
    void OnRenameClicked();
    void OnCloseClicked();

    CTableFile& m_languageTable;
    std::string m_filePath;
    std::string m_pattern;
    CId3v1Tag m_tag;
    bool m_changed = false;
    journal::CJournalEntry* m_journal = nullptr;

    // The form's rows are the fields, in Field order.
    FieldArray<QLabel*> m_labels{};
    FieldArray<QLineEdit*> m_edits{}; // no edit in the genre row
    QComboBox* m_genreBox = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_renameButton = nullptr;
    QPushButton* m_closeButton = nullptr;

    FieldArray<std::string> m_values; // the edits' texts; none for the genre
    FieldArray<QString> m_shownTexts; // the genre row holds the genre box's text
};
