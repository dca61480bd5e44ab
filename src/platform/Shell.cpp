#include "Shell.h"

#include "Machine.h"
#include "QtText.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

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
    if (!host || !QFileInfo::exists(QString::fromStdString(*host))) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(*host)));
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
