// The modal tag editor of one MP3 file.
#pragma once

#include "tag/Id3v1Tag.h"

#include <QDialog>
#include <QString>
#include <array>
#include <string>

class CTableFile;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CTagEditDlg : public QDialog {
    Q_OBJECT
public:
    // filePath is a system path; the dialog does not touch the file until DoModal.
    CTagEditDlg(std::string filePath, std::string pattern, CTableFile& languageTable, QWidget* parent = nullptr);
    // Runs the dialog modally; QDialog::Accepted or QDialog::Rejected. Callers act on m_changed.
    int DoModal();

    bool m_changed = false; // a Save, or a Rename of a tagged file, happened
    const std::string& FilePath() const { return m_filePath; }

    // ... controls, handlers and the rest are private to the dialog.
private:
    // Rows of the form, in template order; the index picks label and edit.
    enum Row { kArtist, kTitle, kAlbum, kYear, kGenre, kComment, kRowCount };

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
    void ReportSaveFailure(int osError);

    // The controls' texts as last loaded from or saved into the file.
    void RememberShownTexts();
    QString ShownText(int row) const;
    bool IsEdited(int row) const { return ShownText(row) != m_shownTexts[row]; }
    // Explains the first edited field that the code page cannot hold; true when one was found.
    bool RefuseUnholdableEdits();
    // A field the user did not edit keeps its bytes (padding, bytes the page leaves undefined).
    void SetEditedFields();

    void OnFieldChanged();
    void OnSaveClicked();
    void OnRenameClicked();
    void OnCloseClicked();

    CTableFile& m_languageTable;
    std::string m_filePath;
    std::string m_pattern;
    CId3v1Tag m_tag;

    std::array<QLabel*, kRowCount> m_labels{};
    std::array<QLineEdit*, kRowCount> m_edits{}; // no edit in the genre row
    QComboBox* m_genreBox = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_renameButton = nullptr;
    QPushButton* m_closeButton = nullptr;

    std::string m_artist, m_title, m_album, m_year, m_comment;
    std::array<QString, kRowCount> m_shownTexts; // the genre row holds the genre box's text
};
