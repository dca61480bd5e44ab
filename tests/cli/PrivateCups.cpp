#include "PrivateCups.h"

#include "CliRun.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

namespace fs = std::filesystem;

constexpr const char* kCupsd = "/usr/sbin/cupsd";
// A printer that takes PDF: CUPS's pdftopdf passes the job through to the
// file device, so the output keeps the text a test reads back.
constexpr const char* kPdfPrinterPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "PDFFILE.PPD"
*Manufacturer: "Sonadex tests"
*Product: "(PDF file)"
*ModelName: "PDF file"
*ShortNickName: "PDF file"
*NickName: "PDF file"
*PSVersion: "(3010.000) 0"
*ColorDevice: False
*cupsVersion: 2.4
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*DefaultPageRegion: A4
*DefaultImageableArea: A4
*ImageableArea A4: "0 0 595 842"
*ImageableArea Letter: "0 0 612 792"
*DefaultPaperDimension: A4
*PaperDimension A4: "595 842"
*PaperDimension Letter: "612 792"
)PPD";
constexpr const char* kPdfToPdf = "/usr/lib/cups/filter/pdftopdf";
constexpr const char* kLpstat = "/usr/bin/lpstat";
// The variables through which a CUPS client finds its server and its default printer.
constexpr const char* kClientVariables[] = {"CUPS_SERVER", "PRINTER", "LPDEST"};

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// Reading ends when no job waits or prints: then every output file is complete.
bool JobsPending()
{
    const RunResult jobs = RunProgram(kLpstat, {"-W", "not-completed", "-o"});
    return jobs.status != 0 || !jobs.out.empty();
}

void Pause()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

} // namespace

PrivateCups::PrivateCups(const std::vector<std::string>& queues, const std::string& defaultQueue)
{
    m_failure = Start(queues, defaultQueue);
}

PrivateCups::~PrivateCups()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        for (int i = 0; i < 50 && waitpid(m_pid, nullptr, WNOHANG) == 0; ++i)
            Pause();
        if (kill(m_pid, 0) == 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    RestoreClients();
    std::error_code ignored;
    if (!m_root.empty()) fs::remove_all(m_root, ignored);
}

std::string PrivateCups::OutputPath(const std::string& queue) const
{
    return m_root + "/out/" + queue + ".out";
}

bool PrivateCups::WaitForJobs(int seconds) const
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (JobsPending()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Pause();
    }
    return true;
}

std::string PrivateCups::Start(const std::vector<std::string>& queues, const std::string& defaultQueue)
{
    if (access(kCupsd, X_OK) != 0) return std::string(kCupsd) + " is missing (Debian package cups)";
    if (access(kLpstat, X_OK) != 0) return std::string(kLpstat) + " is missing (Debian package cups-client)";
    if (access(kPdfToPdf, X_OK) != 0) return std::string(kPdfToPdf) + " is missing (Debian package cups-filters)";
    // Short, for the socket's path (at most 107 bytes).
    std::string root = "/tmp/sonadex-cups-XXXXXX";
    if (!mkdtemp(root.data())) return "cannot make a temporary folder for cupsd";
    m_root = root;
    WriteConfiguration(queues, defaultQueue);
    PointClientsHere();

    const std::string log = m_root + "/log/cupsd.out";
    const std::string config = m_root + "/conf/cupsd.conf", files = m_root + "/conf/cups-files.conf";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const char* const argv[] = {kCupsd, "-f", "-c", config.c_str(), "-s", files.c_str(), nullptr};
    const int spawned = posix_spawn(&m_pid, kCupsd, &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        m_pid = -1;
        return std::string("cannot start cupsd: ") + std::strerror(spawned);
    }
    return WaitForSocket();
}

void PrivateCups::WriteConfiguration(const std::vector<std::string>& queues, const std::string& defaultQueue) const
{
    const fs::path root = m_root;
    for (const char* folder : {"conf/ppd", "state", "cache", "spool", "log"})
        fs::create_directories(root / folder);
    // Filters run as the user lp: they pass through the folder and write temporary files.
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    for (const char* folder : {"tmp", "out"}) {
        fs::create_directories(root / folder);
        fs::permissions(root / folder, fs::perms::all | fs::perms::sticky_bit);
    }
    WriteText(root / "conf/cupsd.conf",
              "Listen " + m_root +
                  "/cups.sock\n"
                  "Browsing No\nBrowseLocalProtocols none\nDefaultAuthType None\n"
                  "LogLevel info\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n");
    WriteText(root / "conf/cups-files.conf",
              "ServerRoot " + m_root + "/conf\nStateDir " + m_root + "/state\nCacheDir " + m_root +
                  "/cache\nRequestRoot " + m_root + "/spool\nTempDir " + m_root + "/tmp\nAccessLog " + m_root +
                  "/log/access_log\nErrorLog " + m_root + "/log/error_log\nPageLog " + m_root +
                  "/log/page_log\nPrintcap " + m_root + "/state/printcap\nFileDevice Yes\n");
    std::ostringstream printers;
    for (const std::string& queue : queues) {
        printers << (queue == defaultQueue ? "<DefaultPrinter " : "<Printer ") << queue << ">\n"
                 << "DeviceURI file://" << OutputPath(queue) << "\nState Idle\nAccepting Yes\nShared No\n"
                 << (queue == defaultQueue ? "</DefaultPrinter>\n" : "</Printer>\n");
        WriteText(root / "conf/ppd" / (queue + ".ppd"), kPdfPrinterPpd);
    }
    WriteText(root / "conf/printers.conf", printers.str());
}

std::string PrivateCups::WaitForSocket() const
{
    const std::string socket = m_root + "/cups.sock";
    for (int i = 0; i < 100; ++i) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid)
            return "cupsd ended at its start (status " + std::to_string(status) + "): " + LogTail();
        if (access(socket.c_str(), F_OK) == 0 && RunProgram(kLpstat, {"-p"}).status == 0) return {};
        Pause();
    }
    return "cupsd made no socket within 10 s: " + LogTail();
}

std::string PrivateCups::LogTail() const
{
    std::string text;
    for (const char* name : {"/log/cupsd.out", "/log/error_log"}) {
        std::ifstream in(m_root + name);
        text += std::string((std::istreambuf_iterator<char>(in)), {});
    }
    return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
}

void PrivateCups::PointClientsHere()
{
    for (const char* name : kClientVariables) {
        const char* value = std::getenv(name);
        m_savedEnvironment.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        unsetenv(name);
    }
    setenv("CUPS_SERVER", (m_root + "/cups.sock").c_str(), 1);
}

void PrivateCups::RestoreClients() const
{
    for (const auto& [name, value] : m_savedEnvironment) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
}
