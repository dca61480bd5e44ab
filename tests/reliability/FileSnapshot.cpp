#include "FileSnapshot.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kIdentityMarker = "SDXID";
constexpr std::size_t kIdentitySize = 21; // the marker and a 16-byte name

using Located = std::map<std::string, std::pair<std::string, std::string>>; // identity -> (path, bytes)

std::string IdentityOf(const std::string& path, const std::string& bytes)
{
    if (bytes.compare(0, kIdentityMarker.size(), kIdentityMarker) == 0) return bytes.substr(0, kIdentitySize);
    return "path:" + path;
}

Located ByIdentity(const FileSnapshot& snapshot)
{
    Located located;
    for (const auto& [path, bytes] : snapshot) {
        const bool fresh = located.emplace(IdentityOf(path, bytes), std::make_pair(path, bytes)).second;
        EXPECT_TRUE(fresh) << "file doubled: " << path;
    }
    return located;
}

} // namespace

FileSnapshot TakeSnapshot(const std::string& folder)
{
    FileSnapshot files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        std::ifstream in(it->path(), std::ios::binary);
        files[fs::relative(it->path(), folder).string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

std::vector<std::string> ExpectBeforeOrIntended(const FileSnapshot& before, const FileSnapshot& intended,
                                                const FileSnapshot& after)
{
    const Located old = ByIdentity(before), wanted = ByIdentity(intended), now = ByIdentity(after);
    std::vector<std::string> notIntended;
    for (const auto& [identity, file] : now) {
        const auto wasOld = old.find(identity), wasWanted = wanted.find(identity);
        const bool asBefore = wasOld != old.end() && wasOld->second == file;
        const bool asIntended = wasWanted != wanted.end() && wasWanted->second == file;
        EXPECT_TRUE(asBefore || asIntended)
            << file.first << " is neither as before nor as intended (" << file.second.size() << " bytes)";
        if (!asIntended) notIntended.push_back(wasOld != old.end() ? wasOld->second.first : file.first);
    }
    // A file both before and after the intended run must never go missing.
    for (const auto& [identity, file] : old) {
        if (wanted.count(identity)) {
            EXPECT_TRUE(now.count(identity)) << "file lost: " << file.first;
        }
    }
    return notIntended;
}
