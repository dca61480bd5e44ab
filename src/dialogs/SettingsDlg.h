// The modal settings dialog: rename pattern, prompt option, language.
#pragma once

#include <QDialog>
#include <string>

class CTableFile;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CSettingsDlg(CTableFile& languageTable, QWidget* parent = nullptr);
    int DoModal(); // QDialog::Accepted after a successful OK

    // Set by the caller before DoModal, read after it.
    std::string m_language;
    std::string m_languageFolder;
    bool m_languageChanged = false;
    bool m_prompt = false;
    std::string m_pattern;

    // Abbrechen, Escape: puts the language back that was loaded at start-up.
    void reject() override;

private:
    static constexpr int kPlaceholderCount = 6;

    void CreateControls();
    void LayOutControls();
    void InitDialog();
    void FillLanguageBox();
    void ApplyTexts();
    void UpdateExample();
    void ExchangeToControls();
    void ExchangeFromControls();
    // Writes the three settings; false when the program's settings key could not be written.
    bool StoreSettings();
    void RestoreStartLanguage();

    void OnLanguageChanged();
    void OnPatternChanged();
    void OnOkClicked();
    void OnCancelClicked();

    CTableFile& m_languageTable;
    std::string m_example;
    // The language table as the dialog found it, for Abbrechen.
    std::string m_startLanguage;
    std::string m_startTablePath;
    bool m_startTableLoaded = false;

    QGroupBox* m_renameGroup = nullptr;
    QLineEdit* m_patternEdit = nullptr;
    QLabel* m_exampleLabel = nullptr;
    QLabel* m_exampleText = nullptr;
    QLabel* m_placeholderLabels[kPlaceholderCount] = {};
    QCheckBox* m_promptBox = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_okButton = nullptr;
    QComboBox* m_languageBox = nullptr;
    QLabel* m_languageLabel = nullptr;
};
