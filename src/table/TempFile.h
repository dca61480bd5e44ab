// A temporary file beside a table file, addressed by its system path, removed
// unless it replaced the table file.
#pragma once

#include "platform/ReplacementFile.h"

#include <optional>
#include <string>

namespace table {

class CTempFile {
public:
    // Creates an empty private file under a fresh hidden name (".qzd-XXXXXX.tmp",
    // never an existing file's) in the folder of the file at systemPath,
    // ready to replace that file.
    static std::optional<CTempFile> CreateBeside(const std::string& systemPath);

    const std::string& SystemPath() const { return m_systemPath; }

    // Renames this file over the file it was created beside in one step, with
    // that file's permission bits when it exists (else those a new file gets),
    // and syncs file and folder. A table file that is a symbolic link is
    // replaced by the file, as a rename does. False on any failure.
    bool Replace();

private:
    CTempFile(std::string systemPath, platform::CReplacementFile file);

    std::string m_systemPath;
    platform::CReplacementFile m_file;
};

} // namespace table
