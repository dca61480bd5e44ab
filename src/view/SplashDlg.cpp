#include "SplashDlg.h"

#include <QIcon>
#include <QImageReader>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

CSplashDlg::CSplashDlg(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_progress(new QLabel(this))
{
    setObjectName("SplashDlg");
    // A thin border stands in for the dialog's modal frame.
    setStyleSheet("CSplashDlg { border: 1px solid palette(dark); }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    auto* logo = new QLabel(this);
    // Through QIcon, which takes logo@2x.png where the screen is scaled.
    logo->setPixmap(QIcon(":/icons/logo.png").pixmap(QImageReader(":/icons/logo.png").size()));
    logo->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel("Sonadex Pro 2.0", this);
    name->setAlignment(Qt::AlignCenter);
    QFont font = name->font();
    font.setPointSizeF(font.pointSizeF() * 2);
    font.setBold(true);
    name->setFont(font);
    layout->addWidget(logo);
    layout->addWidget(name);
    // A slow start folder (a network share, a cold disk) is read behind the
    // splash; the line tells the user why it stays.
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setObjectName("SplashProgress");
    m_progress->hide();
    layout->addWidget(m_progress);
}

void CSplashDlg::ShowProgress(const QString& text)
{
    m_progress->setText(text);
    if (m_progress->isVisible()) return;
    m_progress->show();
    ShowCentred();
}

void CSplashDlg::ShowCentred()
{
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect box = rect();
        box.moveCenter(screen->availableGeometry().center());
        move(box.topLeft());
    }
    show();
}
