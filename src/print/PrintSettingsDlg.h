// The print settings dialog: which columns a printed listing shows.
#pragma once

#include "PrintChoice.h"

#include <QDialog>
#include <vector>

class CTableFile;
class QCheckBox;
class QPushButton;
class QShowEvent;

// The view keeps one object for its whole life, so the choice confirmed with
// OK is the starting choice of the next print. Abbrechen, Escape and the
// close box leave the booleans as they were.
class CPrintSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CPrintSettingsDlg(CTableFile& languageTable, QWidget* parent = nullptr);
    int DoModal(); // QDialog::Accepted keeps the new choice

    PrintChoice GetChoice() const;

    bool m_printAlbum = true;
    bool m_printArtist = true;
    bool m_printComment = true;
    bool m_printFileName = true;
    bool m_printFileSize = true;
    bool m_printGenre = true;
    bool m_includeSubfolders = false;
    bool m_printTitle = true;
    bool m_printYear = true;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Binding {
        QCheckBox* box;
        bool CPrintSettingsDlg::*value;
        int textNumber;
    };

    QCheckBox* AddCheckBox(const char* name, const char* caption, bool CPrintSettingsDlg::*value, int textNumber);
    void BuildLayout();
    void ApplyCaptions();
    void ExchangeIntoBoxes();
    void OnOkClicked();
    void OnCancelClicked();

    CTableFile& m_languageTable;
    std::vector<Binding> m_bindings; // in tab order
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
