#include "MultiTagDlg.h"

#include "DialogControls.h"
#include "UnholdableText.h"
#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "ops/TagFolder.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"
#include "platform/WaitCursor.h"
#include "tag/Id3v1Tag.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kTextMaxChars = 30;
constexpr int kYearMaxChars = 4;

// Template 146, in dialog units.
constexpr int kClientWidth = 184, kClientHeight = 143;
constexpr int kCheckX = 7, kCheckWidth = 55;
constexpr int kFieldX = 67, kFieldWidth = 110, kFieldHeight = 14;
constexpr int kFirstRowY = 7, kRowStep = 15;
constexpr int kSubfolderX = 7, kSubfolderY = 102, kSubfolderWidth = 170, kSubfolderHeight = 10;
constexpr int kButtonY = 122, kButtonWidth = 50, kButtonHeight = 14;
constexpr int kCancelX = 7, kOkX = 127;

// The six field names in row order.
constexpr int kFieldNameTexts[] = {text::kArtist, text::kTitle, text::kAlbum,
                                   text::kYear,   text::kGenre, text::kComment};
const char* const kGermanNames[] = {"Interpret", "Titel", "Album", "Jahr", "Genre", "Kommentar"};
const char* const kFieldKeys[] = {"artist", "title", "album", "year", "genre", "comment"};

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
    for (int row = 0; row < kRowCount; ++row) {
        auto* check = new QCheckBox(QString::fromLatin1(kGermanNames[row]), this);
        check->setObjectName(QString::fromLatin1(kFieldKeys[row]) + "Check");
        m_useBoxes[row] = check;
        if (row == kGenre) {
            m_genreBox = new QComboBox(this);
            m_genreBox->setObjectName("genreBox");
            m_genreBox->setMaxVisibleItems(12);
            continue;
        }
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(kFieldKeys[row]) + "Edit");
        edit->setMaxLength(row == kYear ? kYearMaxChars : kTextMaxChars);
        m_edits[row] = edit;
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
    for (int row = 0; row < kRowCount; ++row) {
        const int y = kFirstRowY + row * kRowStep;
        QWidget* field = row == kGenre ? static_cast<QWidget*>(m_genreBox) : m_edits[row];
        dialogs::PlaceControl(*this, *field, kFieldX, y, kFieldWidth, kFieldHeight);
        // Centred on its field's height, so box and field line up.
        dialogs::PlaceControl(*this, *m_useBoxes[row], kCheckX, y, kCheckWidth, kFieldHeight);
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
    dialogs::FillSorted(*m_genreBox, CId3v1Tag().GetGenres());
    setWindowTitle(platform::PathToQString("MultiTag - " + m_folderPath));
    m_useBoxes[kArtist]->setFocus();
}

void CMultiTagDlg::ApplyTexts()
{
    for (int row = 0; row < kRowCount; ++row)
        m_useBoxes[row]->setText(platform::ToQString(GetText(m_languageTable, kFieldNameTexts[row])));
    m_subfolderBox->setText(platform::ToQString(GetText(m_languageTable, text::kSubfolders)));
    m_okButton->setText(platform::ToQString(GetText(m_languageTable, text::kOk)));
    m_cancelButton->setText(platform::ToQString(GetText(m_languageTable, text::kCancel)));
}

void CMultiTagDlg::ExchangeToControls()
{
    m_edits[kArtist]->setText(platform::ToQString(m_artist));
    m_edits[kTitle]->setText(platform::ToQString(m_title));
    m_edits[kAlbum]->setText(platform::ToQString(m_album));
    m_edits[kYear]->setText(platform::ToQString(m_year));
    m_edits[kComment]->setText(platform::ToQString(m_comment));
    m_useBoxes[kArtist]->setChecked(m_useArtist);
    m_useBoxes[kTitle]->setChecked(m_useTitle);
    m_useBoxes[kAlbum]->setChecked(m_useAlbum);
    m_useBoxes[kYear]->setChecked(m_useYear);
    m_useBoxes[kGenre]->setChecked(m_useGenre);
    m_useBoxes[kComment]->setChecked(m_useComment);
    m_subfolderBox->setChecked(m_includeSubfolders);
}

void CMultiTagDlg::ExchangeFromControls()
{
    m_artist = platform::FromQString(m_edits[kArtist]->text());
    m_title = platform::FromQString(m_edits[kTitle]->text());
    m_album = platform::FromQString(m_edits[kAlbum]->text());
    m_year = platform::FromQString(m_edits[kYear]->text());
    m_comment = platform::FromQString(m_edits[kComment]->text());
    m_useArtist = m_useBoxes[kArtist]->isChecked();
    m_useTitle = m_useBoxes[kTitle]->isChecked();
    m_useAlbum = m_useBoxes[kAlbum]->isChecked();
    m_useYear = m_useBoxes[kYear]->isChecked();
    m_useGenre = m_useBoxes[kGenre]->isChecked();
    m_useComment = m_useBoxes[kComment]->isChecked();
    m_includeSubfolders = m_subfolderBox->isChecked();
}

TagFields CMultiTagDlg::ChosenFields() const
{
    TagFields fields;
    if (m_useArtist) fields.artist = m_artist;
    if (m_useTitle) fields.title = m_title;
    if (m_useAlbum) fields.album = m_album;
    if (m_useYear) fields.year = m_year;
    // Nothing selected reads as empty text, which stores "no genre".
    if (m_useGenre) fields.genre = platform::FromQString(m_genreBox->currentText());
    if (m_useComment) fields.comment = m_comment;
    return fields;
}

int CMultiTagDlg::TagFolder(const std::string& folderPath)
{
    ExchangeFromControls();
    // The walk is the core's, shared with the command line.
    return ::TagFolder(folderPath, ChosenFields(), m_includeSubfolders, [this](const FileOutcome& outcome) {
        if (!outcome.ok) m_failures.push_back(outcome);
    });
}

void CMultiTagDlg::ReportFailures()
{
    if (m_failures.empty()) return;
    QString text = platform::ToQString(std::to_string(m_failures.size()) + " file(s) or folder(s) could not be tagged:");
    // The paths are host bytes, the rest code-page text: each is decoded as what it is.
    for (std::size_t i = 0; i < m_failures.size() && i < kListedFailures; ++i)
        text += "\n" + platform::PathToQString(m_failures[i].path) + platform::ToQString(" (" + m_failures[i].reason + ")");
    if (m_failures.size() > kListedFailures) text += "\n...";
    platform::MessageBox(this, text, kMessageTitle, platform::MB_ICONEXCLAMATION | platform::MB_OK);
}

bool CMultiTagDlg::RefuseUnholdableFields()
{
    for (int row = 0; row < kRowCount; ++row)
        if (row != kGenre && m_useBoxes[row]->isChecked() &&
            dialogs::RefuseUnholdable(this, m_languageTable, kFieldNameTexts[row], m_edits[row]->text()))
            return true;
    return false;
}

void CMultiTagDlg::OnOkClicked()
{
    // Nothing is written, and the dialog stays, while a chosen field holds such text.
    if (RefuseUnholdableFields()) return;
    int count = 0;
    {
        // Only while the files are written: the result box below waits for the user.
        const platform::CWaitCursor wait;
        ExchangeFromControls();
        m_failures.clear();
        count = TagFolder(m_folderPath);
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
