// A file that replaces another in one step: written beside it under a fresh
// temporary name, then synced and renamed over it, so that a crash or a
// failure at any point leaves either the old file or the new one, whole.
#pragma once

#include "UniqueFd.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

class CReplacementFile {
public:
    // What a target that is a symbolic link becomes: kKeepLink writes the
    // file the link names and the link stays; kReplaceLink puts the new file
    // in the link's place.
    enum class Link { kKeepLink, kReplaceLink };

    // An empty file (mode 0600, open for writing) named tempPrefix + six
    // random letters + ".tmp" in the target's folder; nullopt when none can
    // be made.
    static std::optional<CReplacementFile> CreateBeside(const std::string& hostTarget, std::string_view tempPrefix,
                                                        Link link = Link::kKeepLink);

    CReplacementFile(CReplacementFile&& other) noexcept;
    CReplacementFile& operator=(CReplacementFile&&) = delete;
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;
    // Removes the temporary file unless it replaced the target.
    ~CReplacementFile();

    const std::string& HostPath() const { return m_tempPath; }
    const std::string& TargetPath() const { return m_targetPath; }

    bool Write(std::string_view bytes);
    // Gives the file the target's permission bits (newFileMode where there is
    // no target yet), syncs it, renames it over the target and syncs the
    // folder so the new name survives a crash. On a failure up to the rename
    // the target is as it was and the temporary file is removed later.
    bool Replace(mode_t newFileMode);

private:
    CReplacementFile(std::string targetPath, std::string tempPath, UniqueFd fd);

    std::string m_targetPath;
    std::string m_tempPath; // empty once it replaced the target
    UniqueFd m_fd;
};

// Replaces the file at hostTarget (a link: the file it names) with bytes.
bool ReplaceFileWith(const std::string& hostTarget, std::string_view bytes, mode_t newFileMode);

// The permission bits open(path, O_CREAT, 0666) gives a new file under this process's umask.
mode_t NewFileMode();

} // namespace platform
