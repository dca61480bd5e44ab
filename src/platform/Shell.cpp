#include "Shell.h"

#include "Machine.h"
#include "QtText.h"

#include <QDesktopServices>
#include <QUrl>

#include <sys/stat.h>

namespace platform {

namespace {

std::function<bool(const std::string&)>& TestHandler()
{
    static std::function<bool(const std::string&)> handler;
    return handler;
}

} // namespace

bool ShellOpenFile(const std::string& systemPath)
{
    if (const auto& handler = TestHandler()) return handler(systemPath);
    const std::optional<std::string> host = HostPath(systemPath);
    // As ShellExecute, a file that is not there opens nothing.
    struct stat info {};
    if (!host || ::stat(host->c_str(), &info) != 0) return false;
    // Percent-encoded bytes carry a name that is not valid UTF-8 unchanged,
    // where a QString would lose them.
    const QByteArray encoded = QByteArray::fromStdString(*host).toPercentEncoding("/");
    return QDesktopServices::openUrl(QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode));
}

bool ShellOpenUrl(const std::string& url)
{
    if (const auto& handler = TestHandler()) return handler(url);
    const QUrl target(ToQString(url), QUrl::StrictMode);
    if (!target.isValid() || target.scheme().isEmpty()) return false;
    return QDesktopServices::openUrl(target);
}

void SetShellHandlerForTest(std::function<bool(const std::string&)> handler)
{
    TestHandler() = std::move(handler);
}

} // namespace platform
