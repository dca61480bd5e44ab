#include "LanguageCopy.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace setup {

namespace {

std::vector<fs::path> LanguageFiles(const fs::path& folder, std::error_code& ec)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && entry.path().extension() == ".qzd") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

std::optional<std::vector<std::string>> CopyMissingLanguageFiles(const std::string& fromFolder,
                                                                 const std::string& toFolder, std::string& error)
{
    std::error_code ec;
    const std::vector<fs::path> files = LanguageFiles(fromFolder, ec);
    if (files.empty()) {
        error = "no language files (*.qzd) in " + fromFolder;
        return std::nullopt;
    }
    fs::create_directories(toFolder, ec);
    std::vector<std::string> copied;
    // Installed under ~/.local, the program's own language folder is the one
    // the user's copies go to: the files are in place already.
    if (fs::equivalent(fromFolder, toFolder, ec)) return copied;
    for (const fs::path& file : files) {
        const fs::path target = fs::path(toFolder) / file.filename();
        // skip_existing: never replace the user's copy, even one made meanwhile.
        const bool done = fs::copy_file(file, target, fs::copy_options::skip_existing, ec);
        if (ec) {
            error = "cannot copy " + file.string() + " to " + toFolder + ": " + ec.message();
            return std::nullopt;
        }
        if (done) {
            // The program rewrites the file on exit, so the copy must be writable.
            fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
            copied.push_back(file.filename().string());
        }
    }
    return copied;
}

} // namespace setup
