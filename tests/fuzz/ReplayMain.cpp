// Feeds every file of the corpus folders given on the command line to the
// fuzz target linked in, in name order. Each input runs in a child process,
// so that one input that aborts (a failed property, a sanitizer report) does
// not hide the others; every failing input is named. An empty or missing
// folder fails too, so a lost corpus cannot pass unseen.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> CorpusFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::ranges::sort(files);
    return files;
}

// True when the target came through the input without aborting.
bool Replay(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        std::exit(0);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Children that abort leave their files behind; all of them go under one
// folder of this run (TMPDIR, which the targets' drive honours), removed at the end.
class CReplayTemp {
public:
    CReplayTemp()
    {
        std::string tmpl = (fs::temp_directory_path() / "sonadex-replay-XXXXXX").string();
        if (mkdtemp(tmpl.data())) {
            m_folder = tmpl;
            setenv("TMPDIR", m_folder.c_str(), 1);
        }
    }
    ~CReplayTemp()
    {
        std::error_code ec;
        if (!m_folder.empty()) fs::remove_all(m_folder, ec);
    }
    CReplayTemp(const CReplayTemp&) = delete;
    CReplayTemp& operator=(const CReplayTemp&) = delete;

private:
    std::string m_folder;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER...\n", argv[0]);
        return 2;
    }
    const CReplayTemp temp;
    int status = 0;
    for (int arg = 1; arg < argc; ++arg) {
        const std::vector<fs::path> files = CorpusFiles(argv[arg]);
        if (files.empty()) {
            std::fprintf(stderr, "no corpus files in %s\n", argv[arg]);
            return 1;
        }
        std::size_t failed = 0;
        for (const fs::path& file : files)
            if (!Replay(file)) {
                ++failed;
                std::fprintf(stderr, "FAILED: %s\n", file.c_str());
            }
        std::printf("%s: %zu inputs, %zu failed\n", argv[arg], files.size(), failed);
        if (failed) status = 1;
    }
    return status;
}
