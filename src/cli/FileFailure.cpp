#include "FileFailure.h"

#include "CliOutput.h"
#include "platform/File.h"
#include "platform/Machine.h"

#include <sys/stat.h>

namespace {

// What a file that is no regular file is; "" for a regular file or none.
std::string KindOfOddFile(const std::string& systemPath)
{
    const auto host = platform::HostPath(systemPath);
    struct stat info {};
    if (!host || stat(host->c_str(), &info) != 0 || S_ISREG(info.st_mode)) return {};
    if (S_ISFIFO(info.st_mode)) return "a FIFO, not a regular file";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "a device, not a regular file";
    if (S_ISSOCK(info.st_mode)) return "a socket, not a regular file";
    if (S_ISDIR(info.st_mode)) return "a folder";
    return "not a regular file";
}

} // namespace

std::string OpenFailureText(const std::string& systemPath, int error)
{
    const std::string kind = KindOfOddFile(systemPath);
    return "cannot open: " + (kind.empty() ? ErrorText(error) : kind);
}

std::string OpenFailureReason(const std::string& systemPath)
{
    platform::CFile file;
    if (file.Open(systemPath, platform::CFile::modeRead)) return "could not be opened";
    return OpenFailureText(systemPath, file.LastError());
}
