// Times the file list's fill against the core read it is built on, for a
// folder of 10,000 and one of 100,000 MP3 files (half of them tagged), and
// tells the memory the window holds for the larger list.
// Prints figures only; the targets are read by whoever runs it.
// With --median FOLDER it prints only the median fill of that host folder, on
// the machine the hive names (the peer benchmark's own folders).
#include "ops/FileListing.h"
#include "platform/Machine.h"
#include "view/SonadexView.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void WriteFolder(const fs::path& folder, int count)
{
    fs::create_directories(folder);
    std::string tag = "TAG";
    tag.resize(128, '\0');
    tag.replace(3, 5, "Title");
    tag.replace(33, 6, "Artist");
    for (int i = 0; i < count; ++i) {
        std::ofstream out(folder / ("track" + std::to_string(i) + ".mp3"), std::ios::binary);
        out << std::string(2048, '\x55');
        if (i % 2 == 0) out << tag;
    }
}

double MedianMilliseconds(const std::function<void()>& run)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

// The process's resident memory now, in MiB.
double ResidentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct Fill {
    double milliseconds = 0;
    double listMiB = 0; // resident memory the filled list adds to the window
};

Fill MeasureFill(const std::string& systemFolder)
{
    CSonadexView view;
    view.resize(1200, 800);
    view.m_strFolder = systemFolder;
    view.m_strRenamePattern = "%1 - %2";
    view.InitFileListImages();
    view.InitFileListColumns();
    const double before = ResidentMiB();
    Fill fill;
    fill.milliseconds = MedianMilliseconds([&] { view.FillFileList(); });
    fill.listMiB = ResidentMiB() - before;
    return fill;
}

double FillMilliseconds(const std::string& systemFolder)
{
    return MeasureFill(systemFolder).milliseconds;
}

int MedianOfHostFolder(const std::string& hostFolder)
{
    if (const std::optional<std::string> refusal = platform::InstallMachineFromHive()) {
        std::fprintf(stderr, "%s\n", refusal->c_str());
        return 2;
    }
    const std::optional<std::string> folder = platform::SystemPath(hostFolder);
    if (!folder) {
        std::fprintf(stderr, "%s: not on any drive\n", hostFolder.c_str());
        return 1;
    }
    std::printf("%.1f\n", FillMilliseconds(*folder));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--median") return MedianOfHostFolder(argv[2]);
    std::string base = (fs::temp_directory_path() / "sonadex-fill-XXXXXX").string();
    if (!mkdtemp(base.data())) return 1;
    platform::InstallMachine(
        platform::Machine{platform::CodePage(1252), platform::DriveTable({platform::Drive{'C', base, ""}})});
    double fill10k = 0;
    double fill100k = 0;
    for (const int count : {10000, 100000}) {
        const std::string name = "n" + std::to_string(count);
        WriteFolder(fs::path(base) / name, count);
        const std::string folder = "C:\\" + name;
        const double core = MedianMilliseconds([&] { ListFolder(folder, "%1 - %2"); });
        const Fill fill = MeasureFill(folder);
        std::printf("%6d files: core read (one thread) %8.1f ms, FillFileList %8.1f ms, fill/core %.2f, "
                    "list memory %.1f MiB\n",
                    count, core, fill.milliseconds, fill.milliseconds / core, fill.listMiB);
        (count == 10000 ? fill10k : fill100k) = fill.milliseconds;
    }
    std::printf("FillFileList 100k/10k: %.2f (target <= 11)\n", fill100k / fill10k);
    fs::remove_all(base);
    return 0;
}
