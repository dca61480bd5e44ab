#include "TagEditDlg.h"

#include "DialogControls.h"
#include "MakeFileName.h"
#include "UnholdableText.h"
#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "platform/File.h"
#include "platform/FileOps.h"
#include "platform/Machine.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>

namespace {

constexpr int kTextMaxChars = 30;
constexpr int kYearMaxChars = 4;

// Template 143, in dialog units.
constexpr int kClientWidth = 174, kClientHeight = 123;
constexpr int kLabelX = 7, kLabelWidth = 45;
constexpr int kFieldX = 57, kFieldWidth = 110, kFieldHeight = 14;
constexpr int kFirstRowY = 7, kRowStep = 15;
constexpr int kButtonY = 102, kButtonWidth = 50, kButtonHeight = 14;
constexpr int kCloseX = 7, kRenameX = 63, kSaveX = 117;

// The six field names in row order.
constexpr int kFieldNameTexts[] = {text::kArtist, text::kTitle, text::kAlbum,
                                   text::kYear,   text::kGenre, text::kComment};
const char* const kGermanLabels[] = {"Interpret:", "Titel:", "Album:", "Jahr:", "Genre:", "Kommentar:"};

const std::string kMessageTitle = "Sonadex Pro";

// The folder part of a system path, with its closing backslash.
std::string FolderWithBackslash(const std::string& path)
{
    const std::size_t pos = path.rfind('\\');
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string NameOf(const std::string& path)
{
    const std::size_t pos = path.rfind('\\');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

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
    for (int row = 0; row < kRowCount; ++row) {
        if (row == kGenre) {
            m_genreBox = new QComboBox(this);
            m_genreBox->setObjectName("genreBox");
            m_genreBox->setEditable(false);
            m_genreBox->setMaxVisibleItems(12);
            continue;
        }
        auto* edit = new QLineEdit(this);
        edit->setMaxLength(row == kYear ? kYearMaxChars : kTextMaxChars);
        m_edits[row] = edit;
    }
    const char* const editNames[] = {"artistEdit", "titleEdit", "albumEdit", "yearEdit", "", "commentEdit"};
    for (int row = 0; row < kRowCount; ++row)
        if (QLineEdit* edit = m_edits[row]) edit->setObjectName(editNames[row]);

    m_saveButton = new QPushButton(QStringLiteral("Speichern"), this);
    m_saveButton->setObjectName("saveButton");
    m_renameButton = new QPushButton(QStringLiteral("Umbenennen"), this);
    m_renameButton->setObjectName("renameButton");
    m_closeButton = new QPushButton(QStringLiteral("Schliessen"), this);
    m_closeButton->setObjectName("closeButton");
    for (QPushButton* button : {m_saveButton, m_renameButton, m_closeButton})
        button->setAutoDefault(false); // the dialog alone decides which button Enter presses

    for (int row = 0; row < kRowCount; ++row) {
        auto* label = new QLabel(QString::fromLatin1(kGermanLabels[row]), this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_labels[row] = label;
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
    for (int row = 0; row < kRowCount; ++row) {
        const int y = kFirstRowY + row * kRowStep;
        QWidget* field = row == kGenre ? static_cast<QWidget*>(m_genreBox) : m_edits[row];
        dialogs::PlaceControl(*this, *field, kFieldX, y, kFieldWidth, kFieldHeight);
        // The label is centred on its field's height, so the texts line up.
        dialogs::PlaceControl(*this, *m_labels[row], kLabelX, y, kLabelWidth, kFieldHeight);
    }
    dialogs::PlaceControl(*this, *m_closeButton, kCloseX, kButtonY, kButtonWidth, kButtonHeight);
    dialogs::PlaceControl(*this, *m_renameButton, kRenameX, kButtonY, kButtonWidth, kButtonHeight);
    dialogs::PlaceControl(*this, *m_saveButton, kSaveX, kButtonY, kButtonWidth, kButtonHeight);
    dialogs::FixClientSize(*this, kClientWidth, kClientHeight);
}

bool CTagEditDlg::InitDialog()
{
    ExchangeToControls();
    ApplyTexts();
    FillGenreBox();
    if (!m_tag.Open(m_filePath)) return false;
    setWindowTitle(platform::PathToQString(NameOf(m_filePath)));
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
    for (int row = 0; row < kRowCount; ++row)
        m_labels[row]->setText(platform::ToQString(GetText(m_languageTable, kFieldNameTexts[row]) + ":"));
}

void CTagEditDlg::FillGenreBox()
{
    dialogs::FillSorted(*m_genreBox, m_tag.GetGenres());
}

void CTagEditDlg::FillFromTag()
{
    if (!m_tag.HasTag()) return;
    m_artist = m_tag.GetArtist();
    m_title = m_tag.GetTitle();
    m_album = m_tag.GetAlbum();
    m_year = m_tag.GetYear();
    m_comment = m_tag.GetComment();
    // A genre number outside the table has an empty name, which selects nothing.
    dialogs::SelectByPrefix(*m_genreBox, platform::ToQString(m_tag.GetGenre()));
    ExchangeToControls();
}

void CTagEditDlg::ExchangeToControls()
{
    m_edits[kArtist]->setText(platform::ToQString(m_artist));
    m_edits[kTitle]->setText(platform::ToQString(m_title));
    m_edits[kAlbum]->setText(platform::ToQString(m_album));
    m_edits[kYear]->setText(platform::ToQString(m_year));
    m_edits[kComment]->setText(platform::ToQString(m_comment));
}

void CTagEditDlg::ExchangeFromControls()
{
    m_artist = platform::FromQString(m_edits[kArtist]->text());
    m_title = platform::FromQString(m_edits[kTitle]->text());
    m_album = platform::FromQString(m_edits[kAlbum]->text());
    m_year = platform::FromQString(m_edits[kYear]->text());
    m_comment = platform::FromQString(m_edits[kComment]->text());
}

void CTagEditDlg::SetDefaultButton(QPushButton* button)
{
    dialogs::SetDefaultButton(button, {m_saveButton, m_renameButton, m_closeButton});
}

bool CTagEditDlg::SaveTag()
{
    try {
        m_tag.Save();
    } catch (const platform::CFileException& e) {
        ReportSaveFailure(e.OsError());
        return false;
    }
    // Save is silent when the file cannot be opened for writing; its error code tells.
    if (m_tag.GetLastError() != 0) {
        ReportSaveFailure(m_tag.GetLastError());
        return false;
    }
    return true;
}

void CTagEditDlg::ReportSaveFailure(int osError)
{
    // strerror speaks the host's locale, which is UTF-8, and the name is host bytes.
    const QString text = "Unable to save the tag of " + platform::PathToQString(NameOf(m_filePath)) + ": " +
                         QString::fromUtf8(std::strerror(osError)) + ".";
    platform::MessageBox(this, text, kMessageTitle, platform::MB_ICONSTOP | platform::MB_OK);
}

void CTagEditDlg::OnFieldChanged()
{
    m_saveButton->setEnabled(true);
    SetDefaultButton(m_saveButton);
}

void CTagEditDlg::RememberShownTexts()
{
    for (int row = 0; row < kRowCount; ++row)
        m_shownTexts[row] = ShownText(row);
}

QString CTagEditDlg::ShownText(int row) const
{
    return row == kGenre ? m_genreBox->currentText() : m_edits[row]->text();
}

bool CTagEditDlg::RefuseUnholdableEdits()
{
    for (int row = 0; row < kRowCount; ++row)
        if (row != kGenre && IsEdited(row) &&
            dialogs::RefuseUnholdable(this, m_languageTable, kFieldNameTexts[row], ShownText(row)))
            return true;
    return false;
}

void CTagEditDlg::SetEditedFields()
{
    // A new tag gets every field, as the empty record has no bytes to keep.
    const bool all = !m_tag.HasTag();
    if (all || IsEdited(kArtist)) m_tag.SetArtist(m_artist);
    if (all || IsEdited(kTitle)) m_tag.SetTitle(m_title);
    if (all || IsEdited(kAlbum)) m_tag.SetAlbum(m_album);
    if (all || IsEdited(kYear)) m_tag.SetYear(m_year);
    if (all || IsEdited(kGenre)) m_tag.SetGenre(platform::FromQString(m_genreBox->currentText()));
    if (all || IsEdited(kComment)) m_tag.SetComment(m_comment);
}

void CTagEditDlg::OnSaveClicked()
{
    // Text the code page cannot hold is explained and stays in the field, unsaved.
    if (RefuseUnholdableEdits()) return;
    ExchangeFromControls();
    SetEditedFields();
    // A failed write stays in the Edited state: Save remains enabled for another try.
    if (!SaveTag()) return;
    RememberShownTexts();
    m_changed = true;
    m_saveButton->setEnabled(false);
    SetDefaultButton(m_renameButton);
}

void CTagEditDlg::OnRenameClicked()
{
    // Only what the file holds names it; unsaved edits take no part.
    if (m_tag.HasTag()) {
        const std::string newPath = FolderWithBackslash(m_filePath) + MakeHostFileName(m_pattern, m_tag);
        m_changed = true;
        // The move never overwrites: a taken name leaves the dialog on the old file.
        if (platform::MoveFileA(m_filePath, newPath)) {
            m_tag.Open(newPath);
            m_filePath = newPath;
        }
    }
    SetDefaultButton(m_saveButton->isEnabled() ? m_saveButton : m_closeButton);
}

void CTagEditDlg::OnCloseClicked()
{
    ExchangeFromControls();
    accept();
}
