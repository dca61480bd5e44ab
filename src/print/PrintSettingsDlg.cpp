#include "PrintSettingsDlg.h"

#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "platform/QtText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLayout>
#include <QPushButton>
#include <QShowEvent>

CPrintSettingsDlg::CPrintSettingsDlg(CTableFile& languageTable, QWidget* parent)
    : QDialog(parent), m_languageTable(languageTable)
{
    setWindowTitle(QStringLiteral("Druckeinstellungen"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    BuildLayout();
}

QCheckBox* CPrintSettingsDlg::AddCheckBox(const char* name, const char* caption, bool PrintChoice::*value,
                                          int textNumber)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    m_bindings.push_back({box, value, textNumber});
    return box;
}

void CPrintSettingsDlg::BuildLayout()
{
    // Created in tab order; the grid mirrors the template's two columns.
    auto* grid = new QGridLayout(this);
    // A modal frame: fixed at the size its captions need, whatever the language.
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(AddCheckBox("fileName", "Dateiname", &PrintChoice::printFileName, text::kFileName), 0, 0);
    grid->addWidget(AddCheckBox("fileSize", "Dateigrösse", &PrintChoice::printFileSize, text::kFileSize), 0, 1);
    grid->addWidget(AddCheckBox("artist", "Interpret", &PrintChoice::printArtist, text::kArtist), 1, 0);
    grid->addWidget(AddCheckBox("title", "Titel", &PrintChoice::printTitle, text::kTitle), 1, 1);
    grid->addWidget(AddCheckBox("album", "Album", &PrintChoice::printAlbum, text::kAlbum), 2, 0);
    grid->addWidget(AddCheckBox("year", "Jahr", &PrintChoice::printYear, text::kYear), 2, 1);
    grid->addWidget(AddCheckBox("genre", "Genre", &PrintChoice::printGenre, text::kGenre), 3, 0);
    grid->addWidget(AddCheckBox("comment", "Kommentar", &PrintChoice::printComment, text::kComment), 3, 1);
    grid->addWidget(AddCheckBox("subfolders", "Unterverzeichnisse einschliessen", &PrintChoice::includeSubfolders,
                                text::kSubfolders),
                    4, 0, 1, 2);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    grid->addWidget(m_cancel, 5, 0);
    grid->addWidget(m_ok, 5, 1);
    setTabOrder(m_bindings.back().box, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(m_ok, &QPushButton::clicked, this, &CPrintSettingsDlg::OnOkClicked);
    connect(m_cancel, &QPushButton::clicked, this, &CPrintSettingsDlg::OnCancelClicked);
}

int CPrintSettingsDlg::DoModal()
{
    // Like a dialog made afresh: centred on its window and with the focus on
    // the first box, whatever place and focus the last opening left.
    setAttribute(Qt::WA_Moved, false);
    m_bindings.front().box->setFocus();
    return exec();
}

void CPrintSettingsDlg::showEvent(QShowEvent* event)
{
    // On every showing, so that a language switched meanwhile shows up here
    // and the boxes start from the last confirmed choice; sized for the new
    // captions before the dialog is centred.
    ApplyCaptions();
    ExchangeIntoBoxes();
    layout()->activate();
    QDialog::showEvent(event);
}

void CPrintSettingsDlg::ApplyCaptions()
{
    setWindowTitle(platform::ToQString(GetText(m_languageTable, text::kPrintSettings)));
    for (const Binding& binding : m_bindings)
        binding.box->setText(platform::ToQString(GetText(m_languageTable, binding.textNumber)));
    m_ok->setText(platform::ToQString(GetText(m_languageTable, text::kOk)));
    m_cancel->setText(platform::ToQString(GetText(m_languageTable, text::kCancel)));
}

void CPrintSettingsDlg::ExchangeIntoBoxes()
{
    for (const Binding& binding : m_bindings)
        binding.box->setChecked(m_choice.*binding.value);
}

void CPrintSettingsDlg::OnOkClicked()
{
    for (const Binding& binding : m_bindings)
        m_choice.*binding.value = binding.box->isChecked();
    accept();
}

void CPrintSettingsDlg::OnCancelClicked()
{
    reject();
}
