#include "AboutDlg.h"

#include "platform/Shell.h"
#include "view/Resource.h"

#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("AboutDlg");
    setWindowTitle("Sonadex Pro");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* logo = new QLabel(this);
    // Through QIcon, which takes logo@2x.png where the screen is scaled.
    logo->setPixmap(QIcon(":/icons/logo.png").pixmap(QImageReader(":/icons/logo.png").size()));
    logo->setAlignment(Qt::AlignCenter);
    logo->setMinimumHeight(104);
    auto* name = new QLabel("Sonadex Pro 2.0", this);
    name->setAlignment(Qt::AlignCenter);
    name->setMinimumHeight(50);
    auto* web = new QPushButton(QString::fromUtf8(kWebAddress), this);
    web->setObjectName("WebButton");
    web->setProperty("controlId", res::IDC_ABOUT_WEB);
    web->setDefault(true);
    web->setAutoDefault(true);
    connect(web, &QPushButton::clicked, this, &CAboutDlg::OnWebPage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(logo);
    layout->addWidget(name);
    layout->addWidget(web);
    // 290 x 138 dialog units at the desktop's default font.
    setFixedSize(435, 224);
}

// The box stays open, and every press asks the shell again.
void CAboutDlg::OnWebPage()
{
    platform::ShellOpenUrl(kWebAddress);
}
