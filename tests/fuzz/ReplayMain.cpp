// Feeds every file of the corpus folders given on the command line to the
// fuzz target linked in, in name order. A target that finds a fault aborts;
// an empty or missing folder fails too, so a lost corpus cannot pass unseen.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
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

void Replay(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::fprintf(stderr, "replay %s (%zu bytes)\n", file.filename().c_str(), bytes.size());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER...\n", argv[0]);
        return 2;
    }
    for (int arg = 1; arg < argc; ++arg) {
        const std::vector<fs::path> files = CorpusFiles(argv[arg]);
        if (files.empty()) {
            std::fprintf(stderr, "no corpus files in %s\n", argv[arg]);
            return 1;
        }
        for (const fs::path& file : files)
            Replay(file);
        std::printf("%s: %zu inputs replayed clean\n", argv[arg], files.size());
    }
    return 0;
}
