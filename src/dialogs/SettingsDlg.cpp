#include "SettingsDlg.h"

#include "DialogControls.h"
#include "ElidedLabel.h"
#include "naming/MakeFileName.h"
#include "UnholdableText.h"
#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "platform/FileFind.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"
#include "settings/StoredSettings.h"
#include "table/TableFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <vector>

namespace {

// Template 145, in dialog units.
constexpr int kClientWidth = 210, kClientHeight = 113;
constexpr int kRowHeight = 14; // edit, buttons and combo box; labels are centred on it
struct TemplateRect {
    int x, y, w, h;
};
constexpr TemplateRect kGroupRect{7, 7, 195, 80};
constexpr TemplateRect kPatternRect{17, 22, 55, kRowHeight};
constexpr TemplateRect kExampleLabelRect{77, 22, 30, kRowHeight};
constexpr TemplateRect kExampleTextRect{107, 22, 85, kRowHeight};
constexpr int kExampleGap = 2; // between "Example:" and the example
// The placeholder labels take their whole 60-unit column (the template leaves 5
// units unused), since field names are wider in the desktop's font.
constexpr TemplateRect kPlaceholderRects[] = {{17, 42, 60, 10}, {77, 42, 60, 10}, {137, 42, 60, 10},
                                              {17, 52, 60, 10}, {77, 52, 60, 10}, {137, 52, 60, 10}};
constexpr TemplateRect kPromptRect{17, 67, 175, 10};
constexpr TemplateRect kCancelRect{7, 92, 50, kRowHeight};
constexpr TemplateRect kOkRect{153, 92, 50, kRowHeight};
constexpr TemplateRect kLanguageBoxRect{103, 92, 45, kRowHeight};
constexpr TemplateRect kLanguageLabelRect{63, 92, 39, kRowHeight};

// The six field names in placeholder order.
constexpr int kFieldNameTexts[] = {text::kArtist, text::kTitle, text::kAlbum,
                                   text::kYear,   text::kGenre, text::kComment};
const char* const kGermanFieldNames[] = {"Interpret", "Titel", "Album", "Jahr", "Genre", "Kommentar"};

const std::string kMessageTitle = "Sonadex Pro";
const std::string kLanguageExtension = ".qzd";

std::string PlaceholderCaption(int index, const std::string& fieldName)
{
    std::string caption = "%";
    caption += std::to_string(index + 1);
    caption += " - ";
    caption += fieldName;
    return caption;
}

void Place(const QWidget& dialog, QWidget& control, const TemplateRect& rect)
{
    dialogs::PlaceControl(dialog, control, rect.x, rect.y, rect.w, rect.h);
}

} // namespace

CSettingsDlg::CSettingsDlg(CTableFile& languageTable, QWidget* parent) : QDialog(parent), m_languageTable(languageTable)
{
    // A modal frame without system menu, hence without close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Einstellungen"));
    CreateControls();
    LayOutControls();
}

int CSettingsDlg::DoModal()
{
    InitDialog();
    return exec();
}

// Created in the template's order: the group box below, then the tab order.
void CSettingsDlg::CreateControls()
{
    m_renameGroup = new QGroupBox(QStringLiteral("Umbenennen"), this);
    m_patternEdit = new QLineEdit(this);
    m_patternEdit->setObjectName("patternEdit");
    for (int i = 0; i < kPlaceholderCount; ++i)
        m_placeholderLabels[i] =
            new QLabel(QString::fromLatin1(PlaceholderCaption(i, kGermanFieldNames[i]).c_str()), this);
    m_exampleLabel = new QLabel(QStringLiteral("Beispiel:"), this);
    m_exampleText = new CElidedLabel(this);
    m_exampleText->setObjectName("exampleText");
    m_promptBox = new QCheckBox(QStringLiteral("Nach fehlenden Informationen fragen"), this);
    m_promptBox->setObjectName("promptCheck");
    m_cancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancelButton->setObjectName("cancelButton");
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName("okButton");
    m_languageBox = new QComboBox(this);
    m_languageBox->setObjectName("languageBox");
    m_languageLabel = new QLabel(QStringLiteral("Sprache:"), this);

    m_cancelButton->setAutoDefault(false);
    m_okButton->setAutoDefault(false);
    dialogs::SetDefaultButton(m_okButton, {m_okButton, m_cancelButton});

    connect(m_patternEdit, &QLineEdit::textChanged, this, &CSettingsDlg::OnPatternChanged);
    connect(m_languageBox, &QComboBox::currentIndexChanged, this, &CSettingsDlg::OnLanguageChanged);
    connect(m_okButton, &QPushButton::clicked, this, &CSettingsDlg::OnOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &CSettingsDlg::OnCancelClicked);
}

void CSettingsDlg::LayOutControls()
{
    Place(*this, *m_renameGroup, kGroupRect);
    Place(*this, *m_patternEdit, kPatternRect);
    for (int i = 0; i < kPlaceholderCount; ++i)
        Place(*this, *m_placeholderLabels[i], kPlaceholderRects[i]);
    PlaceExample();
    Place(*this, *m_promptBox, kPromptRect);
    Place(*this, *m_cancelButton, kCancelRect);
    Place(*this, *m_okButton, kOkRect);
    Place(*this, *m_languageBox, kLanguageBoxRect);
    Place(*this, *m_languageLabel, kLanguageLabelRect);
    dialogs::FixClientSize(*this, kClientWidth, kClientHeight);
}

void CSettingsDlg::InitDialog()
{
    m_startLanguage = m_language;
    m_startTablePath = m_languageTable.GetPath();
    m_startTableLoaded = m_languageTable.IsLoaded();
    ExchangeToControls();
    FillLanguageBox();
    ApplyTexts();
    UpdateExample();
    m_patternEdit->setFocus();
}

void CSettingsDlg::FillLanguageBox()
{
    std::vector<std::string> names;
    platform::CFileFind finder;
    bool more = finder.FindFile(m_languageFolder + "\\*" + kLanguageExtension);
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDirectory()) continue;
        const std::string name = finder.GetFileName();
        names.push_back(name.substr(0, name.size() - kLanguageExtension.size()));
    }
    // Filling and the start selection are no choice of the user: no language is loaded.
    const QSignalBlocker blocker(m_languageBox);
    // Languages are file names: host bytes, as the stored language is.
    dialogs::FillSortedNames(*m_languageBox, names);
    dialogs::SelectByPrefix(*m_languageBox, platform::PathToQString(m_language));
}

void CSettingsDlg::ApplyTexts()
{
    setWindowTitle(platform::ToQString(GetText(m_languageTable, text::kSettings)));
    m_cancelButton->setText(platform::ToQString(GetText(m_languageTable, text::kCancel)));
    m_okButton->setText(platform::ToQString(GetText(m_languageTable, text::kOk)));
    m_promptBox->setText(platform::ToQString(GetText(m_languageTable, text::kAskMissing)));
    m_renameGroup->setTitle(platform::ToQString(GetText(m_languageTable, text::kRename)));
    for (int i = 0; i < kPlaceholderCount; ++i)
        m_placeholderLabels[i]->setText(
            platform::ToQString(PlaceholderCaption(i, GetText(m_languageTable, kFieldNameTexts[i]))));
    m_exampleLabel->setText(platform::ToQString(GetText(m_languageTable, text::kExample) + ":"));
    m_languageLabel->setText(platform::ToQString(GetText(m_languageTable, text::kLanguage) + ":"));
    PlaceExample();
}

// The example's label is as wide as its text needs, so its colon shows in
// every language and font; the example takes the rest of its row.
void CSettingsDlg::PlaceExample()
{
    const int x = dialogs::DluX(*this, kExampleLabelRect.x);
    const int y = dialogs::DluY(*this, kExampleLabelRect.y);
    const int height = dialogs::DluY(*this, kExampleLabelRect.h);
    const int width = std::max(dialogs::DluX(*this, kExampleLabelRect.w), m_exampleLabel->sizeHint().width());
    m_exampleLabel->setGeometry(x, y, width, height);
    const int right = dialogs::DluX(*this, kExampleTextRect.x + kExampleTextRect.w);
    const int left = x + width + dialogs::DluX(*this, kExampleGap);
    m_exampleText->setGeometry(left, y, std::max(0, right - left), height);
}

void CSettingsDlg::UpdateExample()
{
    ExchangeFromControls();
    // The example would show '?' where the name gets none: it explains instead.
    if (const std::optional<char32_t> character = dialogs::FirstUnholdable(m_patternEdit->text())) {
        m_example.clear();
        const QString message = dialogs::UnholdableMessage(m_languageTable, text::kPatternField, *character);
        m_exampleText->setText(message);
        m_exampleText->setToolTip(message); // the label is narrow; OK shows the whole text too
        return;
    }
    m_exampleText->setToolTip({});
    FieldArray<std::string> fieldNames;
    for (std::size_t i = 0; i < kFieldCount; ++i)
        fieldNames[i] = GetText(m_languageTable, kFieldNameTexts[i]);
    m_example = FillPattern(m_pattern, fieldNames);
    m_exampleText->setText(platform::ToQString(m_example));
}

void CSettingsDlg::ExchangeToControls()
{
    // Putting the pattern in place is no edit by the user.
    const QSignalBlocker blocker(m_patternEdit);
    m_patternEdit->setText(platform::ToQString(m_pattern));
    m_promptBox->setChecked(m_prompt);
    m_exampleText->setText(platform::ToQString(m_example));
}

void CSettingsDlg::ExchangeFromControls()
{
    m_pattern = platform::FromQString(m_patternEdit->text());
    m_prompt = m_promptBox->isChecked();
}

bool CSettingsDlg::StoreSettings()
{
    // With no language selected the stored one stays: an empty name could not be loaded at the next start.
    if (m_languageBox->currentIndex() >= 0) settings::StoreLanguage(dialogs::CurrentName(*m_languageBox));
    return settings::StoreRenameSettings(m_pattern, m_prompt);
}

void CSettingsDlg::RestoreStartLanguage()
{
    if (!m_languageChanged) return;
    m_languageTable.Close();
    if (m_startTableLoaded) m_languageTable.Load(m_startTablePath);
    m_language = m_startLanguage;
    m_languageChanged = false;
}

void CSettingsDlg::reject()
{
    // The view keeps its old language on cancel, so the table must hold it again too.
    RestoreStartLanguage();
    QDialog::reject();
}

void CSettingsDlg::OnLanguageChanged()
{
    m_language = dialogs::CurrentName(*m_languageBox);
    m_languageChanged = true;
    m_languageTable.Close();
    m_languageTable.Load(m_languageFolder + "\\" + m_language + kLanguageExtension);
    ApplyTexts();
}

void CSettingsDlg::OnPatternChanged()
{
    UpdateExample();
}

void CSettingsDlg::OnOkClicked()
{
    if (dialogs::RefuseUnholdable(this, m_languageTable, text::kPatternField, m_patternEdit->text())) return;
    ExchangeFromControls();
    if (!StoreSettings()) {
        platform::MessageBox(this, GetText(m_languageTable, text::kSettingsNotSaved), kMessageTitle,
                             platform::MB_ICONSTOP | platform::MB_OK);
        return;
    }
    ExchangeFromControls();
    accept();
}

void CSettingsDlg::OnCancelClicked()
{
    reject();
}
