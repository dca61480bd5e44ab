#include "ProgressCancel.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>

ProgressCancel::ProgressCancel(int stopAfter) : m_stopAfter(stopAfter)
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Look(); });
    m_timer.start(0);
}

void ProgressCancel::Look()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QProgressDialog*>(window);
        if (!dialog || dialog->objectName() != "progressDialog" || !dialog->isVisible()) continue;
        if (dialog->value() < m_stopAfter) return;
        auto* cancel = dialog->findChild<QPushButton*>();
        if (!cancel) return;
        value = dialog->value();
        label = dialog->labelText();
        m_timer.stop();
        m_pressed = true;
        cancel->click();
        return;
    }
}
