#include "CliPaths.h"

#include "platform/Machine.h"
#include "platform/SystemPathName.h"

#include <filesystem>

std::optional<std::string> SystemPathOfArgument(const std::string& hostArgument)
{
    if (hostArgument.empty()) return std::nullopt;
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(hostArgument, error);
    if (error) return std::nullopt;
    std::string host = path.lexically_normal().string();
    // System paths carry no trailing separator; "/" itself stays.
    while (host.size() > 1 && host.back() == '/')
        host.pop_back();
    return platform::SystemPath(host);
}

std::string NotOnAnyDrive()
{
    std::string drives;
    for (const platform::Drive& drive : platform::CurrentMachine().drives.Drives())
        drives += std::string(drives.empty() ? "" : ", ") + drive.letter + ": " + drive.root;
    return "not on any drive (the drives are " + drives +
           "; add one with: sonadex-cli config set LETTER: FOLDER)";
}

std::string PrintablePath(const std::string& systemPath)
{
    if (auto host = platform::HostPath(systemPath)) return *host;
    return systemPath; // its names are host bytes already
}

void SplitSystemPath(const std::string& systemPath, std::string& folder, std::string& name)
{
    folder = platform::FolderOfSystemPath(systemPath);
    name = platform::NameOfSystemPath(systemPath);
}
