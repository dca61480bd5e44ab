#include "CliFixture.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void PutField(std::string& record, std::size_t offset, std::size_t width, const std::string& text)
{
    record.replace(offset, std::min(width, text.size()), text.substr(0, width));
}

bool SetImmutable(const std::string& path, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

} // namespace

std::string MakeRecord(const TagBytes& tag)
{
    std::string record(128, '\0');
    record.replace(0, 3, "TAG");
    PutField(record, 3, 30, tag.title);
    PutField(record, 33, 30, tag.artist);
    PutField(record, 63, 30, tag.album);
    PutField(record, 93, 4, tag.year);
    PutField(record, 97, 30, tag.comment);
    record[127] = static_cast<char>(tag.genre);
    return record;
}

std::string MakeMp3(const TagBytes* tag, std::size_t audioBytes)
{
    std::string bytes(audioBytes, '\0');
    for (std::size_t i = 0; i < audioBytes; ++i)
        bytes[i] = static_cast<char>(0xFF - (i % 7));
    if (tag) bytes += MakeRecord(*tag);
    return bytes;
}

CReadOnlyFile::CReadOnlyFile(std::string hostPath) : m_path(std::move(hostPath))
{
    fs::permissions(m_path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (geteuid() == 0) m_immutable = SetImmutable(m_path, true);
    m_usable = geteuid() != 0 || m_immutable;
}

CReadOnlyFile::~CReadOnlyFile()
{
    if (m_immutable) SetImmutable(m_path, false);
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_write, fs::perm_options::add, ec);
}

CHeldFile::CHeldFile(const std::string& hostPath) : m_fd(open(hostPath.c_str(), O_RDONLY))
{
    if (m_fd < 0 || flock(m_fd, LOCK_EX | LOCK_NB) != 0) ADD_FAILURE() << "cannot hold " << hostPath;
}

CHeldFile::~CHeldFile()
{
    if (m_fd >= 0) close(m_fd);
}

CliTest::CliTest()
{
    WriteHive();
}

void CliTest::WriteHive(const std::string& programValues) const
{
    std::ofstream out(m_machine.HiveFile(), std::ios::binary | std::ios::trunc);
    out << "REGEDIT4\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n"
           "\"\\\\DosDevices\\\\C:\"=\""
        << m_machine.Root()
        << "\"\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"
        // The set-up's pattern, unless the test gives its own.
        << (programValues.find("\"Rename\"=") == std::string::npos ? "\"Rename\"=\"%1 - %2\"\r\n" : "")
        << programValues << "\r\n";
}

std::map<std::string, std::string> CliTest::Snapshot() const
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(m_machine.Root())) {
        const std::string rel = fs::relative(entry.path(), m_machine.Root()).string();
        files[rel] = entry.is_regular_file() ? Read(rel) : std::string("<dir>");
    }
    return files;
}
