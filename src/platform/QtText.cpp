#include "QtText.h"

#include "Machine.h"

namespace platform {

QString ToQString(std::string_view system)
{
    return QString::fromStdString(CurrentMachine().codePage.ToUtf8(system));
}

std::string FromQString(const QString& text)
{
    return CurrentMachine().codePage.FromUtf8(text.toStdString());
}

} // namespace platform

namespace platform {

QString PathToQString(std::string_view path)
{
    // Qt decodes each malformed byte as U+FFFD.
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

QString FillPlaceholders(const QString& pattern, const QStringList& values)
{
    QString text;
    for (qsizetype at = 0; at < pattern.size(); ++at) {
        const qsizetype index = at + 1 < pattern.size() ? pattern[at + 1].digitValue() - 1 : -1;
        if (pattern[at] == u'%' && index >= 0 && index < values.size()) {
            text += values[index];
            ++at;
        } else {
            text += pattern[at];
        }
    }
    return text;
}

} // namespace platform
