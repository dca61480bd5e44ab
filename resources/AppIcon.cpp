#include "AppIcon.h"

QIcon AppIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/sonadex-pro-%1.png").arg(size), QSize(size, size));
    return icon;
}
