// A throw-away machine for a test: a temporary folder as drive C:, its own
// hive file, XDG_DATA_HOME (so deleted files go to a trash of its own) and
// XDG_STATE_HOME (an undo journal of its own),
// and the code page of choice. Nothing touches the user's home.
#pragma once

#include <optional>
#include <string>

class TempMachine {
public:
    explicit TempMachine(int codePage = 1252);
    ~TempMachine();
    TempMachine(const TempMachine&) = delete;
    TempMachine& operator=(const TempMachine&) = delete;

    const std::string& Root() const { return m_root; } // host folder of C:
    const std::string& HiveFile() const { return m_hive; }
    const std::string& DataHome() const { return m_dataHome; } // XDG_DATA_HOME while the machine lives
    const std::string& StateHome() const { return m_stateHome; } // XDG_STATE_HOME: the undo journal's
    // rel uses '/' and is relative to C:
    std::string Host(const std::string& rel) const;
    std::string Sys(const std::string& rel) const; // "C:\\a\\b", or "C:" for ""

    void WriteFile(const std::string& rel, const std::string& bytes) const;
    std::string ReadFile(const std::string& rel) const;
    bool Exists(const std::string& rel) const;
    void MakeDir(const std::string& rel) const;
    // Writes a hive holding the program's two keys and the given values text
    // (REGEDIT4 lines for the key Software\Velmora\Sonadex Pro).
    void WriteHive(const std::string& text) const;
    // Re-installs the machine after a hive change (code page, drives).
    void Reinstall(int codePage) const;

private:
    std::string m_base; // temporary folder holding everything
    std::string m_root;
    std::string m_hive;
    std::string m_oldHiveEnv;
    bool m_hadHiveEnv = false;
    std::string m_dataHome;
    std::optional<std::string> m_oldDataHome;
    std::string m_stateHome;
    std::optional<std::string> m_oldStateHome;
};
