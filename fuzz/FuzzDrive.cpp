#include "FuzzDrive.h"

#include "platform/Machine.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

const CFuzzDrive& CFuzzDrive::Get()
{
    static const CFuzzDrive drive;
    return drive;
}

CFuzzDrive::CFuzzDrive()
{
    std::string tmpl = (fs::temp_directory_path() / "sonadex-fuzz-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    m_base = tmpl;
    m_root = m_base + "/c";
    fs::create_directory(m_root);
    // The hive too is private: a target must never reach the user's settings.
    setenv("SONADEX_HIVE", (m_base + "/hklm.reg").c_str(), 1);
    platform::InstallMachine(
        platform::Machine{platform::CodePage(1252), platform::DriveTable({platform::Drive{'C', m_root, ""}})});
}

CFuzzDrive::~CFuzzDrive()
{
    std::error_code ec;
    fs::remove_all(m_base, ec);
}

std::string CFuzzDrive::Sys(std::string_view name) const
{
    return "C:\\" + std::string(name);
}

// Through the drive table, as the code under test maps the name.
std::string CFuzzDrive::Host(std::string_view name) const
{
    return platform::HostPath(Sys(name)).value_or(m_root + "/?");
}

void CFuzzDrive::WriteFile(std::string_view name, std::string_view bytes) const
{
    std::ofstream out(Host(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + Host(name));
}

std::optional<std::string> CFuzzDrive::ReadFile(std::string_view name) const
{
    std::ifstream in(Host(name), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> CFuzzDrive::Entries() const
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_root))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    return names;
}

void CFuzzDrive::Empty() const
{
    for (const fs::directory_entry& entry : fs::directory_iterator(m_root))
        fs::remove_all(entry.path());
}
