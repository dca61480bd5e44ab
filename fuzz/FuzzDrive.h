// Drive C: of the fuzz targets: a private temporary folder made once per
// process, with its own hive file, so that no input touches a real file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CFuzzDrive {
public:
    // Made on first use, removed when the process exits.
    static const CFuzzDrive& Get();

    ~CFuzzDrive();
    CFuzzDrive(const CFuzzDrive&) = delete;
    CFuzzDrive& operator=(const CFuzzDrive&) = delete;

    // name is a bare file name (system string) in the drive's root folder.
    std::string Sys(std::string_view name) const; // "C:\\name"
    std::string Host(std::string_view name) const;
    void WriteFile(std::string_view name, std::string_view bytes) const;
    std::optional<std::string> ReadFile(std::string_view name) const;
    // Host names in the root folder, sorted.
    std::vector<std::string> Entries() const;
    // Removes everything in the root folder, so that each input starts afresh.
    void Empty() const;

private:
    CFuzzDrive();

    std::string m_base; // holds the root and the hive file
    std::string m_root;
};
