#include "TempMachine.h"

#include "platform/Machine.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

TempMachine::TempMachine(int codePage)
{
    std::string tmpl = (fs::temp_directory_path() / "sonadex-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    m_base = tmpl;
    m_root = m_base + "/c";
    m_hive = m_base + "/hklm.reg";
    fs::create_directories(m_root);
    if (const char* old = std::getenv("SONADEX_HIVE")) {
        m_hadHiveEnv = true;
        m_oldHiveEnv = old;
    }
    setenv("SONADEX_HIVE", m_hive.c_str(), 1);
    // The home trash lives below XDG_DATA_HOME: a test's deletes stay in its folder.
    m_dataHome = m_base + "/data";
    if (const char* old = std::getenv("XDG_DATA_HOME")) m_oldDataHome = old;
    setenv("XDG_DATA_HOME", m_dataHome.c_str(), 1);
    // The undo journal lives below XDG_STATE_HOME: a test's operations stay in
    // its folder. Open to all as /tmp is, so that a child that became nobody
    // journals too.
    m_stateHome = m_base + "/state";
    fs::create_directories(m_stateHome);
    fs::permissions(m_stateHome, fs::perms::all | fs::perms::sticky_bit);
    if (const char* old = std::getenv("XDG_STATE_HOME")) m_oldStateHome = old;
    setenv("XDG_STATE_HOME", m_stateHome.c_str(), 1);
    Reinstall(codePage);
}

TempMachine::~TempMachine()
{
    std::error_code ec;
    // Files a test made read-only or unreadable must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(m_base, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(m_base, ec);
    if (m_hadHiveEnv)
        setenv("SONADEX_HIVE", m_oldHiveEnv.c_str(), 1);
    else
        unsetenv("SONADEX_HIVE");
    if (m_oldDataHome)
        setenv("XDG_DATA_HOME", m_oldDataHome->c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    if (m_oldStateHome)
        setenv("XDG_STATE_HOME", m_oldStateHome->c_str(), 1);
    else
        unsetenv("XDG_STATE_HOME");
}

void TempMachine::Reinstall(int codePage) const
{
    platform::Machine machine{platform::CodePage(codePage), platform::DriveTable({platform::Drive{'C', m_root, ""}})};
    platform::InstallMachine(std::move(machine));
}

std::string TempMachine::Host(const std::string& rel) const
{
    return rel.empty() ? m_root : m_root + "/" + rel;
}

std::string TempMachine::Sys(const std::string& rel) const
{
    std::string sys = "C:";
    if (!rel.empty()) sys += "\\" + rel;
    for (char& c : sys)
        if (c == '/') c = '\\';
    return sys;
}

void TempMachine::WriteFile(const std::string& rel, const std::string& bytes) const
{
    fs::create_directories(fs::path(Host(rel)).parent_path());
    std::ofstream out(Host(rel), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + rel);
}

std::string TempMachine::ReadFile(const std::string& rel) const
{
    std::ifstream in(Host(rel), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + rel);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempMachine::Exists(const std::string& rel) const
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(Host(rel), ec));
}

void TempMachine::MakeDir(const std::string& rel) const
{
    fs::create_directories(Host(rel));
}

void TempMachine::WriteHive(const std::string& text) const
{
    std::ofstream out(m_hive, std::ios::binary | std::ios::trunc);
    out << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"
        << text;
}
