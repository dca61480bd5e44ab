#include "PrintSettingsDlg.h"

#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "platform/QtText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>
#include <QShowEvent>

CPrintSettingsDlg::CPrintSettingsDlg(CTableFile& languageTable, QWidget* parent)
    : QDialog(parent), m_languageTable(languageTable)
{
    setWindowTitle(QStringLiteral("Druckeinstellungen"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    BuildLayout();
}

QCheckBox* CPrintSettingsDlg::AddCheckBox(const char* name, const char* caption, bool CPrintSettingsDlg::*value,
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
    grid->addWidget(AddCheckBox("fileName", "Dateiname", &CPrintSettingsDlg::m_printFileName, text::kFileName), 0, 0);
    grid->addWidget(AddCheckBox("fileSize", "Dateigrösse", &CPrintSettingsDlg::m_printFileSize, text::kFileSize), 0, 1);
    grid->addWidget(AddCheckBox("artist", "Interpret", &CPrintSettingsDlg::m_printArtist, text::kArtist), 1, 0);
    grid->addWidget(AddCheckBox("title", "Titel", &CPrintSettingsDlg::m_printTitle, text::kTitle), 1, 1);
    grid->addWidget(AddCheckBox("album", "Album", &CPrintSettingsDlg::m_printAlbum, text::kAlbum), 2, 0);
    grid->addWidget(AddCheckBox("year", "Jahr", &CPrintSettingsDlg::m_printYear, text::kYear), 2, 1);
    grid->addWidget(AddCheckBox("genre", "Genre", &CPrintSettingsDlg::m_printGenre, text::kGenre), 3, 0);
    grid->addWidget(AddCheckBox("comment", "Kommentar", &CPrintSettingsDlg::m_printComment, text::kComment), 3, 1);
    grid->addWidget(AddCheckBox("subfolders", "Unterverzeichnisse einschliessen",
                                &CPrintSettingsDlg::m_includeSubfolders, text::kSubfolders),
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
    return exec();
}

PrintChoice CPrintSettingsDlg::GetChoice() const
{
    PrintChoice choice;
    choice.printFileName = m_printFileName;
    choice.printFileSize = m_printFileSize;
    choice.printArtist = m_printArtist;
    choice.printTitle = m_printTitle;
    choice.printAlbum = m_printAlbum;
    choice.printYear = m_printYear;
    choice.printGenre = m_printGenre;
    choice.printComment = m_printComment;
    choice.includeSubfolders = m_includeSubfolders;
    return choice;
}

void CPrintSettingsDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // On every showing, so that a language switched meanwhile shows up here
    // and the boxes start from the last confirmed choice.
    ApplyCaptions();
    ExchangeIntoBoxes();
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
        binding.box->setChecked(this->*binding.value);
}

void CPrintSettingsDlg::OnOkClicked()
{
    for (const Binding& binding : m_bindings)
        this->*binding.value = binding.box->isChecked();
    accept();
}

void CPrintSettingsDlg::OnCancelClicked()
{
    reject();
}
