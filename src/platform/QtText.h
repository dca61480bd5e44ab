// The border between system strings (code page) and Qt's QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {
QString ToQString(std::string_view system);
std::string FromQString(const QString& text);
} // namespace platform
