#include "WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

CWaitCursor::CWaitCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CWaitCursor::~CWaitCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace platform
