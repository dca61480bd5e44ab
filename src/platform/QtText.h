// The border between system strings (code page) and Qt's QString.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

namespace platform {
QString ToQString(std::string_view system);
std::string FromQString(const QString& text);
// A path or file name (host bytes) as the user sees it: decoded as UTF-8,
// a byte that is not valid UTF-8 shown as U+FFFD. For showing only: the
// bytes themselves keep addressing the file.
QString PathToQString(std::string_view path);
// A language text's pattern with %1 to %9 replaced by values in one pass, so
// that a value holding "%2" (a file name) stays as it is. A placeholder
// without a value stays in the text; a value the pattern leaves out is unused.
QString FillPlaceholders(const QString& pattern, const QStringList& values);
} // namespace platform
