#pragma once

#include <QIcon>

// The application icon with every drawn size, so that title bars and task
// switchers get a crisp picture instead of the largest one scaled down.
QIcon AppIcon();
