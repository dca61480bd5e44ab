// The modal tag editor of one MP3 file.
#pragma once

#include "tag/Id3v1Tag.h"

#include <QDialog>
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

    bool m_changed = false;  // a Save, or a Rename of a tagged file, happened
    const std::string& FilePath() const { return m_filePath; }

    // ... controls, handlers and the rest are private to the dialog.
private:
    CTableFile& m_languageTable;
    std::string m_filePath;
    std::string m_pattern;
    CId3v1Tag m_tag;
};
