// A folder kept open while its files are read or written, so that each file
// opens from the folder's descriptor rather than by its whole path (the
// system then walks the path once, not once per file).
#pragma once

#include "platform/UniqueFd.h"

#include <string>

struct HeldFolder {
    std::string path;      // system path
    std::string hostPath;  // empty when it has none
    platform::UniqueFd fd; // invalid when the folder did not open: its files open by path

    HeldFolder() = default;
    // openIt false: the folder is named, not opened (its files open by path).
    explicit HeldFolder(std::string systemPath, bool openIt = true);

    bool IsOpen() const { return fd.IsValid(); }
    // The host path of the entry hostName.
    std::string HostPathOf(const std::string& hostName) const;
};
