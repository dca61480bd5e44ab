#include "TagEditDlg.h"
#include "LanguageQText.h"

#include "DialogControls.h"
#include "JournalSession.h"
#include "UnholdableText.h"
#include "journal/JournalStore.h"
#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "ops/Rename.h"
#include "ops/TagChange.h"
#include "platform/Machine.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"
#include "platform/SystemPathName.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstring>

namespace {

// Template 143, in dialog units.
constexpr int kClientWidth = 174, kClientHeight = 123;
constexpr int kLabelX = 7, kLabelWidth = 45;
constexpr int kFieldX = 57, kFieldWidth = 110, kFieldHeight = 14;
constexpr int kFirstRowY = 7, kRowStep = 15;
constexpr int kButtonY = 102, kButtonWidth = 50, kButtonHeight = 14;
constexpr int kCloseX = 7, kRenameX = 63, kSaveX = 117;

// The six field names, by Field.
constexpr FieldArray<int> kFieldNameTexts = {text::kArtist, text::kTitle, text::kAlbum,
                                             text::kYear,   text::kGenre, text::kComment};
constexpr FieldArray<const char*> kGermanLabels = {"Interpret:", "Titel:", "Album:", "Jahr:", "Genre:", "Kommentar:"};

const std::string kMessageTitle = "Sonadex Pro";

} // namespace

CTagEditDlg::CTagEditDlg(std::string filePath, std::string pattern, CTableFile& languageTable, QWidget* parent)
    : QDialog(parent), m_languageTable(languageTable), m_filePath(std::move(filePath)), m_pattern(std::move(pattern))
{
    // A modal frame without system menu, hence without close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    CreateControls();
    LayOutControls();
}

int CTagEditDlg::DoModal()
{
    if (!InitDialog()) {
        // A file that cannot be read ends the dialog before it is ever shown.
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    return exec();
}

// Created in the template's tab order, which Qt follows.
void CTagEditDlg::CreateControls()
{
    for (Field field : kFields) {
        if (field == Field::Genre) {
            m_genreBox = new QComboBox(this);
            m_genreBox->setObjectName("genreBox");
            m_genreBox->setEditable(false);
            m_genreBox->setMaxVisibleItems(12);
            continue;
        }
        auto* edit = new QLineEdit(this);
        // The field's width in bytes, as characters: the code page has one byte each.
        edit->setMaxLength(static_cast<int>(LayoutOf(field).width));
        edit->setObjectName(dialogs::FieldObjectName(field, "Edit"));
        At(m_edits, field) = edit;
    }

    m_saveButton = new QPushButton(QStringLiteral("Speichern"), this);
    m_saveButton->setObjectName("saveButton");
    m_renameButton = new QPushButton(QStringLiteral("Umbenennen"), this);
    m_renameButton->setObjectName("renameButton");
    m_closeButton = new QPushButton(QStringLiteral("Schliessen"), this);
    m_closeButton->setObjectName("closeButton");
    for (QPushButton* button : {m_saveButton, m_renameButton, m_closeButton})
        button->setAutoDefault(false); // the dialog alone decides which button Enter presses

    for (Field field : kFields) {
        auto* label = new QLabel(QString::fromLatin1(At(kGermanLabels, field)), this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        At(m_labels, field) = label;
    }

    for (QLineEdit* edit : m_edits)
        if (edit) connect(edit, &QLineEdit::textChanged, this, &CTagEditDlg::OnFieldChanged);
    connect(m_genreBox, &QComboBox::currentIndexChanged, this, &CTagEditDlg::OnFieldChanged);
    connect(m_saveButton, &QPushButton::clicked, this, &CTagEditDlg::OnSaveClicked);
    connect(m_renameButton, &QPushButton::clicked, this, &CTagEditDlg::OnRenameClicked);
    connect(m_closeButton, &QPushButton::clicked, this, &CTagEditDlg::OnCloseClicked);
}

void CTagEditDlg::LayOutControls()
{
    // The buttons share one width: the template's, or what the widest
    // caption needs with the style's padding. The row keeps the template's
    // gaps, and fields and dialog widen with it.
    int buttonWidth = dialogs::DluX(*this, kButtonWidth);
    // The style's own hint leaves a long caption almost touching the edges.
    const int padding = 3 * fontMetrics().averageCharWidth();
    for (const QPushButton* button : {m_closeButton, m_renameButton, m_saveButton})
        buttonWidth = std::max({buttonWidth, button->sizeHint().width(),
                                button->fontMetrics().horizontalAdvance(button->text().remove('&')) + padding});
    const int buttonY = dialogs::DluY(*this, kButtonY);
    const int buttonHeight = dialogs::DluY(*this, kButtonHeight);
    int x = dialogs::DluX(*this, kCloseX);
    m_closeButton->setGeometry(x, buttonY, buttonWidth, buttonHeight);
    x += buttonWidth + dialogs::DluX(*this, kRenameX - kCloseX - kButtonWidth);
    m_renameButton->setGeometry(x, buttonY, buttonWidth, buttonHeight);
    x += buttonWidth + dialogs::DluX(*this, kSaveX - kRenameX - kButtonWidth);
    m_saveButton->setGeometry(x, buttonY, buttonWidth, buttonHeight);
    const int right = x + buttonWidth;

    const int fieldX = dialogs::DluX(*this, kFieldX);
    const int fieldWidth = std::max(dialogs::DluX(*this, kFieldWidth), right - fieldX);
    for (Field field : kFields) {
        const int y = kFirstRowY + static_cast<int>(FieldIndex(field)) * kRowStep;
        QWidget* control = field == Field::Genre ? static_cast<QWidget*>(m_genreBox) : At(m_edits, field);
        control->setGeometry(fieldX, dialogs::DluY(*this, y), fieldWidth, dialogs::DluY(*this, kFieldHeight));
        // The label is centred on its field's height, so the texts line up.
        dialogs::PlaceControl(*this, *At(m_labels, field), kLabelX, y, kLabelWidth, kFieldHeight);
    }
    setFixedSize(std::max(dialogs::DluX(*this, kClientWidth), right + dialogs::DluX(*this, kCloseX)),
                 dialogs::DluY(*this, kClientHeight));
}

bool CTagEditDlg::InitDialog()
{
    ExchangeToControls();
    ApplyTexts();
    FillGenreBox();
    if (!m_tag.Open(m_filePath)) return false;
    setWindowTitle(platform::PathToQString(platform::NameOfSystemPath(m_filePath)));
    FillFromTag();
    RememberShownTexts();
    // After the fill, so that filling the fields never counts as an edit.
    m_saveButton->setEnabled(false);
    SetDefaultButton(m_closeButton);
    return true;
}

void CTagEditDlg::ApplyTexts()
{
    m_closeButton->setText(platform::ToQString(GetText(m_languageTable, text::kClose)));
    m_renameButton->setText(platform::ToQString(GetText(m_languageTable, text::kRename)));
    m_saveButton->setText(platform::ToQString(GetText(m_languageTable, text::kSave)));
    for (Field field : kFields)
        At(m_labels, field)->setText(platform::ToQString(GetText(m_languageTable, At(kFieldNameTexts, field)) + ":"));
    LayOutControls(); // the captions decide the buttons' width
}

void CTagEditDlg::FillGenreBox()
{
    dialogs::FillGenreBox(*m_genreBox);
}

void CTagEditDlg::FillFromTag()
{
    if (!m_tag.HasTag()) return;
    for (Field field : kFields)
        if (field != Field::Genre) At(m_values, field) = m_tag.Get(field);
    // A genre number outside the table has an empty name, which selects nothing.
    dialogs::SelectByPrefix(*m_genreBox, platform::ToQString(m_tag.GetGenre()));
    ExchangeToControls();
}

void CTagEditDlg::ExchangeToControls()
{
    for (Field field : kFields)
        if (QLineEdit* edit = At(m_edits, field)) edit->setText(platform::ToQString(At(m_values, field)));
}

void CTagEditDlg::ExchangeFromControls()
{
    for (Field field : kFields)
        if (const QLineEdit* edit = At(m_edits, field)) At(m_values, field) = platform::FromQString(edit->text());
}

void CTagEditDlg::SetDefaultButton(QPushButton* button)
{
    dialogs::SetDefaultButton(button, {m_saveButton, m_renameButton, m_closeButton});
}

bool CTagEditDlg::Journalled(const char* command, const std::function<void(journal::CJournalEntry*)>& change)
{
    std::unique_ptr<journal::CJournalEntry> own;
    if (!m_journal) {
        own = dialogs::BeginJournalEntry(this, m_languageTable, command,
                                         std::string(platform::FolderOfSystemPath(m_filePath)));
        if (!own) return false;
    }
    try {
        change(m_journal ? m_journal : own.get());
    } catch (const journal::JournalError& error) {
        // Raised before the file changed.
        dialogs::ReportJournalError(this, m_languageTable, error);
        return false;
    }
    return true;
}

bool CTagEditDlg::SaveTag()
{
    TagChangeResult result;
    const bool journalled = Journalled("save", [this, &result](journal::CJournalEntry* entry) {
        // Read again under the save, so that the fields the user left alone keep what the file holds now.
        result = ChangeTag(
            m_tag, m_filePath,
            [this](CId3v1Tag& tag) {
                SetEditedFields(tag);
                return false;
            },
            false, entry);
    });
    if (!journalled) return false;
    if (!result.outcome.ok) ReportSaveFailure(result.outcome.error);
    return result.outcome.ok;
}

void CTagEditDlg::RenameByTag()
{
    FileOutcome moved;
    Journalled("rename", [this, &moved](journal::CJournalEntry* entry) {
        RenameOptions options;
        options.pattern = m_pattern;
        options.journal = entry;
        // The file is read again: only what it holds names it.
        ::RenameOneFile(std::string(platform::FolderOfSystemPath(m_filePath)),
                        std::string(platform::NameOfSystemPath(m_filePath)), options,
                        [&moved](const FileOutcome& outcome) { moved = outcome; });
    });
    if (!moved.ok || moved.newPath.empty() || moved.newPath == m_filePath) return;
    m_tag.Open(moved.newPath);
    m_filePath = moved.newPath;
}

void CTagEditDlg::ReportSaveFailure(int osError)
{
    // strerror speaks the host's locale, which is UTF-8, and the name is host bytes.
    const QString text = platform::FillPlaceholders(
        dialogs::LanguageQText(m_languageTable, text::kTagNotSaved),
        {platform::PathToQString(platform::NameOfSystemPath(m_filePath)), QString::fromUtf8(std::strerror(osError))});
    platform::MessageBox(this, text, kMessageTitle, platform::MB_ICONSTOP | platform::MB_OK);
}

void CTagEditDlg::OnFieldChanged()
{
    m_saveButton->setEnabled(true);
    SetDefaultButton(m_saveButton);
}

void CTagEditDlg::RememberShownTexts()
{
    for (Field field : kFields)
        At(m_shownTexts, field) = ShownText(field);
}

QString CTagEditDlg::ShownText(Field field) const
{
    return field == Field::Genre ? m_genreBox->currentText() : At(m_edits, field)->text();
}

bool CTagEditDlg::RefuseUnholdableEdits()
{
    for (Field field : kFields)
        if (field != Field::Genre && IsEdited(field) &&
            dialogs::RefuseUnholdable(this, m_languageTable, At(kFieldNameTexts, field), ShownText(field)))
            return true;
    return false;
}

void CTagEditDlg::SetEditedFields(CId3v1Tag& tag) const
{
    // A new tag gets every field, as the empty record has no bytes to keep.
    const bool all = !tag.HasTag();
    for (Field field : kFields) {
        if (!all && !IsEdited(field)) continue;
        tag.Set(field, field == Field::Genre ? platform::FromQString(m_genreBox->currentText()) : At(m_values, field));
    }
}

void CTagEditDlg::OnSaveClicked()
{
    // Text the code page cannot hold is explained and stays in the field, unsaved.
    if (RefuseUnholdableEdits()) return;
    ExchangeFromControls();
    // A failed write stays in the Edited state: Save remains enabled for another try.
    if (!SaveTag()) return;
    RememberShownTexts();
    m_changed = true;
    m_saveButton->setEnabled(false);
    SetDefaultButton(m_renameButton);
}

void CTagEditDlg::OnRenameClicked()
{
    // Unsaved edits take no part; a file without a tag is not renamed.
    if (m_tag.HasTag()) {
        m_changed = true;
        // The move never overwrites: a taken name leaves the dialog on the old file.
        RenameByTag();
    }
    SetDefaultButton(m_saveButton->isEnabled() ? m_saveButton : m_closeButton);
}

void CTagEditDlg::OnCloseClicked()
{
    ExchangeFromControls();
    accept();
}
