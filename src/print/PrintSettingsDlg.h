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
// close box leave the choice as it was.
class CPrintSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CPrintSettingsDlg(CTableFile& languageTable, QWidget* parent = nullptr);
    int DoModal(); // QDialog::Accepted keeps the new choice

    // The choice last confirmed with OK (every column, no subfolders before that).
    const PrintChoice& Choice() const { return m_choice; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Binding {
        QCheckBox* box;
        bool PrintChoice::*value;
        int textNumber;
    };

    QCheckBox* AddCheckBox(const char* name, const char* caption, bool PrintChoice::*value, int textNumber);
    void BuildLayout();
    void ApplyCaptions();
    void ExchangeIntoBoxes();
    void OnOkClicked();
    void OnCancelClicked();

    CTableFile& m_languageTable;
    PrintChoice m_choice;
    std::vector<Binding> m_bindings; // in tab order
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
