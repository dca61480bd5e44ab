#include "MultiTagDlg.h"
#include "LanguageQText.h"

#include "DialogControls.h"
#include "FailureReasonText.h"
#include "JournalSession.h"
#include "ProgressWindow.h"
#include "UnholdableText.h"
#include "journal/JournalStore.h"
#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "ops/TagFolder.h"
#include "platform/FileSystemKind.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Template 146, in dialog units.
constexpr int kClientWidth = 184, kClientHeight = 143;
constexpr int kCheckX = 7, kCheckWidth = 55;
constexpr int kFieldX = 67, kFieldWidth = 110, kFieldHeight = 14;
constexpr int kFirstRowY = 7, kRowStep = 15;
constexpr int kSubfolderX = 7, kSubfolderY = 102, kSubfolderWidth = 170, kSubfolderHeight = 10;
constexpr int kButtonY = 122, kButtonWidth = 50, kButtonHeight = 14;
constexpr int kCancelX = 7, kOkX = 127;

// The six field names, by Field.
constexpr FieldArray<int> kFieldNameTexts = {text::kArtist, text::kTitle, text::kAlbum,
                                             text::kYear,   text::kGenre, text::kComment};
constexpr FieldArray<const char*> kGermanNames = {"Interpret", "Titel", "Album", "Jahr", "Genre", "Kommentar"};

const std::string kMessageTitle = "Sonadex Pro";
constexpr std::size_t kListedFailures = 10; // more names would not fit a message box

} // namespace

CMultiTagDlg::CMultiTagDlg(std::string folderPath, CTableFile& languageTable, QWidget* parent)
    : QDialog(parent), m_folderPath(std::move(folderPath)), m_languageTable(languageTable)
{
    // A modal frame with a system menu: the close box cancels like Escape.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("MultiTag"));
    CreateControls();
    LayOutControls();
}

int CMultiTagDlg::DoModal()
{
    InitDialog();
    return exec();
}

// Created in the template's tab order, which Qt follows.
void CMultiTagDlg::CreateControls()
{
    for (Field field : kFields) {
        auto* check = new QCheckBox(QString::fromLatin1(At(kGermanNames, field)), this);
        check->setObjectName(dialogs::FieldObjectName(field, "Check"));
        At(m_useBoxes, field) = check;
        if (field == Field::Genre) {
            m_genreBox = new QComboBox(this);
            m_genreBox->setObjectName("genreBox");
            m_genreBox->setMaxVisibleItems(12);
            continue;
        }
        auto* edit = new QLineEdit(this);
        edit->setObjectName(dialogs::FieldObjectName(field, "Edit"));
        // The field's width in bytes, as characters: the code page has one byte each.
        edit->setMaxLength(static_cast<int>(LayoutOf(field).width));
        At(m_edits, field) = edit;
    }
    m_subfolderBox = new QCheckBox(QStringLiteral("Unterverzeichnisse einbeziehen"), this);
    m_subfolderBox->setObjectName("subfolderCheck");
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName("okButton");
    m_cancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancelButton->setObjectName("cancelButton");
    m_cancelButton->setAutoDefault(false);
    m_okButton->setAutoDefault(false);
    dialogs::SetDefaultButton(m_okButton, {m_okButton, m_cancelButton});

    connect(m_okButton, &QPushButton::clicked, this, &CMultiTagDlg::OnOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &CMultiTagDlg::OnCancelClicked);
}

void CMultiTagDlg::LayOutControls()
{
    for (Field field : kFields) {
        const int y = kFirstRowY + static_cast<int>(FieldIndex(field)) * kRowStep;
        QWidget* control = field == Field::Genre ? static_cast<QWidget*>(m_genreBox) : At(m_edits, field);
        dialogs::PlaceControl(*this, *control, kFieldX, y, kFieldWidth, kFieldHeight);
        // Centred on its field's height, so box and field line up.
        dialogs::PlaceControl(*this, *At(m_useBoxes, field), kCheckX, y, kCheckWidth, kFieldHeight);
    }
    dialogs::PlaceControl(*this, *m_subfolderBox, kSubfolderX, kSubfolderY, kSubfolderWidth, kSubfolderHeight);
    dialogs::PlaceControl(*this, *m_okButton, kOkX, kButtonY, kButtonWidth, kButtonHeight);
    dialogs::PlaceControl(*this, *m_cancelButton, kCancelX, kButtonY, kButtonWidth, kButtonHeight);
    dialogs::FixClientSize(*this, kClientWidth, kClientHeight);
}

void CMultiTagDlg::InitDialog()
{
    ExchangeToControls();
    ApplyTexts();
    dialogs::FillGenreBox(*m_genreBox);
    setWindowTitle(platform::PathToQString("MultiTag - " + m_folderPath));
    At(m_useBoxes, Field::Artist)->setFocus();
}

void CMultiTagDlg::ApplyTexts()
{
    for (Field field : kFields)
        At(m_useBoxes, field)->setText(platform::ToQString(GetText(m_languageTable, At(kFieldNameTexts, field))));
    m_subfolderBox->setText(platform::ToQString(GetText(m_languageTable, text::kSubfolders)));
    m_okButton->setText(platform::ToQString(GetText(m_languageTable, text::kOk)));
    m_cancelButton->setText(platform::ToQString(GetText(m_languageTable, text::kCancel)));
}

void CMultiTagDlg::ExchangeToControls()
{
    for (Field field : kFields) {
        if (QLineEdit* edit = At(m_edits, field)) edit->setText(platform::ToQString(At(m_values, field)));
        At(m_useBoxes, field)->setChecked(At(m_use, field));
    }
    m_subfolderBox->setChecked(m_includeSubfolders);
}

void CMultiTagDlg::ExchangeFromControls()
{
    for (Field field : kFields) {
        if (const QLineEdit* edit = At(m_edits, field)) At(m_values, field) = platform::FromQString(edit->text());
        At(m_use, field) = At(m_useBoxes, field)->isChecked();
    }
    m_includeSubfolders = m_subfolderBox->isChecked();
}

TagFields CMultiTagDlg::ChosenFields() const
{
    TagFields fields;
    for (Field field : kFields) {
        if (!At(m_use, field)) continue;
        // Nothing selected reads as empty text, which stores "no genre".
        fields[field] = field == Field::Genre ? platform::FromQString(m_genreBox->currentText()) : At(m_values, field);
    }
    return fields;
}

int CMultiTagDlg::TagFolder(const std::string& folderPath, journal::CJournalEntry& journal)
{
    ExchangeFromControls();
    // Shown once the walk takes a moment; its Cancel ends the walk between two files.
    dialogs::CProgressWindow progress(this, m_languageTable);
    TagFolderOptions options;
    options.journal = &journal;
    options.progress = progress.Hook();
    options.batched = !platform::IsSystemPathOnNetwork(folderPath);
    // The walk is the core's, shared with the command line.
    return ::TagFolder(
        folderPath, ChosenFields(), m_includeSubfolders,
        [this](const FileOutcome& outcome) {
            if (!outcome.ok) m_failures.push_back(outcome);
        },
        options);
}

void CMultiTagDlg::ReportFailures()
{
    if (m_failures.empty()) return;
    const int heading = m_failures.size() == 1 ? text::kOneNotTagged : text::kFilesNotTagged;
    QString text = platform::FillPlaceholders(dialogs::LanguageQText(m_languageTable, heading),
                                              {QString::number(m_failures.size())});
    // The paths are host bytes, the rest code-page text: each is decoded as what it is.
    for (std::size_t i = 0; i < m_failures.size() && i < kListedFailures; ++i)
        text += "\n" + platform::PathToQString(m_failures[i].path) + " (" +
                FailureReasonText(m_languageTable, m_failures[i]) + ")";
    if (m_failures.size() > kListedFailures) text += "\n...";
    platform::MessageBox(this, text, kMessageTitle, platform::MB_ICONEXCLAMATION | platform::MB_OK);
}

bool CMultiTagDlg::RefuseUnholdableFields()
{
    for (Field field : kFields)
        if (field != Field::Genre && At(m_useBoxes, field)->isChecked() &&
            dialogs::RefuseUnholdable(this, m_languageTable, At(kFieldNameTexts, field), At(m_edits, field)->text()))
            return true;
    return false;
}

void CMultiTagDlg::OnOkClicked()
{
    // Nothing is written, and the dialog stays, while a chosen field holds such text.
    if (RefuseUnholdableFields()) return;
    // Without a journal nothing is written, and the dialog stays.
    const std::unique_ptr<journal::CJournalEntry> journal =
        dialogs::BeginJournalEntry(this, m_languageTable, "multitag", m_folderPath);
    if (!journal) return;
    int count = 0;
    try {
        ExchangeFromControls();
        m_failures.clear();
        count = TagFolder(m_folderPath, *journal);
    } catch (const journal::JournalError& error) {
        // The batches before it were journalled and written: the list must show them.
        dialogs::ReportJournalError(this, m_languageTable, error);
        accept();
        return;
    }
    platform::MessageBox(this, std::to_string(count) + " " + GetText(m_languageTable, text::kFilesProcessed),
                         kMessageTitle, platform::MB_ICONINFORMATION | platform::MB_OK);
    // The count includes files whose write failed; such a file must not pass for done.
    ReportFailures();
    ExchangeFromControls();
    accept();
}

void CMultiTagDlg::OnCancelClicked()
{
    reject();
}
