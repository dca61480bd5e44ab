// A temporary file beside another file, removed unless it replaced a file.
#pragma once

#include <optional>
#include <string>

namespace table {

class CTempFile {
public:
    // Creates an empty file under a fresh hidden name (".qzd-XXXXXX", never an
    // existing file's) in the folder of the file at systemPath.
    static std::optional<CTempFile> CreateBeside(const std::string& systemPath);

    CTempFile(CTempFile&& other) noexcept;
    CTempFile& operator=(CTempFile&&) = delete;
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    ~CTempFile();

    const std::string& SystemPath() const { return m_systemPath; }

    // Renames this file over hostTarget in one step, with the target's
    // permission bits when it exists, and syncs the folder. The file is then
    // no longer removed. False (file kept as a temporary) on any failure.
    bool Replace(const std::string& hostTarget);

private:
    CTempFile(std::string systemPath, std::string hostPath);

    std::string m_systemPath;
    std::string m_hostPath; // empty once moved away
};

} // namespace table
