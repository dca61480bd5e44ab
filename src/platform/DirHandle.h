// A directory stream closed on destruction.
#pragma once

#include <dirent.h>

#include <memory>

namespace platform {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

} // namespace platform
