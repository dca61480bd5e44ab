// The modal settings dialog: rename pattern, prompt option, language.
#pragma once

#include <QDialog>
#include <string>
#include <utility>

class CElidedLabel;
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

    // The start values, set by the caller before DoModal.
    void SetLanguage(std::string language) { m_language = std::move(language); }
    void SetLanguageFolder(std::string folder) { m_languageFolder = std::move(folder); }
    void SetPattern(std::string pattern) { m_pattern = std::move(pattern); }
    void SetPrompt(bool prompt) { m_prompt = prompt; }

    // The results, read after DoModal (Language() follows the box while the dialog is open).
    const std::string& Language() const { return m_language; }
    const std::string& LanguageFolder() const { return m_languageFolder; }
    // Another language was chosen and loaded into the language table; Abbrechen clears it.
    bool LanguageChanged() const { return m_languageChanged; }
    const std::string& Pattern() const { return m_pattern; }
    bool Prompt() const { return m_prompt; }

    // Abbrechen, Escape: puts the language back that was loaded at start-up.
    void reject() override;

private:
    static constexpr int kPlaceholderCount = 6;

    void CreateControls();
    void LayOutControls();
    void PlaceExample();
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
    std::string m_language;
    std::string m_languageFolder;
    bool m_languageChanged = false;
    bool m_prompt = false;
    std::string m_pattern;
    std::string m_example;
    // The language table as the dialog found it, for Abbrechen.
    std::string m_startLanguage;
    std::string m_startTablePath;
    bool m_startTableLoaded = false;

    QGroupBox* m_renameGroup = nullptr;
    QLineEdit* m_patternEdit = nullptr;
    QLabel* m_exampleLabel = nullptr;
    CElidedLabel* m_exampleText = nullptr;
    QLabel* m_placeholderLabels[kPlaceholderCount] = {};
    QCheckBox* m_promptBox = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_okButton = nullptr;
    QComboBox* m_languageBox = nullptr;
    QLabel* m_languageLabel = nullptr;
};
