#include "TestFiles.h"

#include <fstream>

namespace {
constexpr std::size_t kIdentitySize = 21;
constexpr int kAudioBytes = 500;
} // namespace

std::string Audio(const std::string& name)
{
    std::string bytes = "SDXID" + name;
    bytes.resize(kIdentitySize, '_');
    for (int i = 0; i < kAudioBytes; ++i)
        bytes += static_cast<char>(0xFF - i % 7);
    return bytes;
}

std::string Record(const std::string& title, const std::string& artist)
{
    std::string record = "TAG" + std::string(124, ' ') + '\x0C';
    record.replace(3, std::min<std::size_t>(title.size(), 30), title.substr(0, 30));
    record.replace(33, std::min<std::size_t>(artist.size(), 30), artist.substr(0, 30));
    return record;
}

std::string Tagged(const std::string& name, const std::string& artist)
{
    return Audio(name) + Record("Title " + name, artist);
}

void WriteProgramHive(const TempMachine& machine)
{
    std::ofstream out(machine.HiveFile(), std::ios::binary | std::ios::trunc);
    out << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n\"\\\\DosDevices\\\\C:\"=\""
        << machine.Root()
        << "\"\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n\"Pattern\"=\"%1 - %2\"\r\n\r\n";
}
