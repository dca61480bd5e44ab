// The border between system strings (code page) and Qt's QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {
QString ToQString(std::string_view system);
std::string FromQString(const QString& text);
// A path or file name (host bytes) as the user sees it: decoded as UTF-8,
// a byte that is not valid UTF-8 shown as U+FFFD. For showing only: the
// bytes themselves keep addressing the file.
QString PathToQString(std::string_view path);
} // namespace platform
