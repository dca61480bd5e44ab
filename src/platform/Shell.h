// Opening files and web pages with the desktop's registered program.
#pragma once

#include <functional>
#include <string>

namespace platform {

// ShellExecute "open" of a system path (a file) or a URL. False when nothing could be started.
bool ShellOpenFile(const std::string& systemPath);
bool ShellOpenUrl(const std::string& url);
// Tests record what would be opened instead of starting programs: the
// handler gets the argument as given (the system path or the URL).
void SetShellHandlerForTest(std::function<bool(const std::string&)> handler);

} // namespace platform
