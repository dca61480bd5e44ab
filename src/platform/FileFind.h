// Folder enumeration by a Windows wildcard, in a sorted, repeatable order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// True when name matches the Windows wildcard pattern (* and ?, which takes
// one character), case-insensitively by FoldCase; "*.*" also matches names
// without a dot.
bool MatchesWildcard(const std::string& pattern, const std::string& name);

// Usage follows the framework's finder:
//   CFileFind f; bool more = f.FindFile("C:\\Musik\\*.mp3");
//   while (more) { more = f.FindNextFile(); use f.GetFileName() ... }
// Entries come sorted by their names' folds (FoldCase), names that fold
// alike by their bytes, with "." and ".."
// first in every folder but a drive's root. A symbolic link to a folder is a
// folder. A host name that a system path cannot carry (a backslash in it) is
// not reported. Names are the host's own bytes (UTF-8 on a normal system,
// any bytes otherwise), so every entry names exactly one file.
class CFileFind {
public:
    struct Entry {
        std::string name; // the host name's bytes
        bool directory = false;
        std::uint64_t length = 0;
        // The listing learns most kinds from the folder itself; a regular
        // file's length is then looked up only when asked for.
        bool lengthKnown = true;
        bool link = false; // a symbolic link (described by its target)
    };

    // pattern: a system path of a folder, a backslash and a wildcard.
    // False when the folder cannot be read or nothing matches.
    bool FindFile(const std::string& pattern);
    // Moves to the next entry; returns false when the entry it moved to is the last.
    bool FindNextFile();
    void Close();

    std::string GetFileName() const;
    // The current entry's name, moved out for a caller that keeps every
    // name; the entry's other facts stay, its name is empty afterwards.
    std::string TakeFileName();
    std::string GetFilePath() const; // folder, backslash, name
    std::string GetRoot() const;     // the folder part of the pattern
    bool IsDirectory() const;
    bool IsDots() const;
    // A symbolic link; IsDirectory and GetLength describe its target.
    bool IsLink() const;
    // The entries matching the pattern that a system path cannot carry (a
    // backslash in the name): not reported above, so that a caller that
    // must not pass a file by in silence can name them.
    const std::vector<Entry>& UncarriedEntries() const { return m_uncarried; }
    // How many entries the search found, "." and ".." included.
    std::size_t EntryCount() const { return m_entries.size(); }
    // The length at the time of the request; 0 for folders and non-files.
    std::uint64_t GetLength() const;

private:
    const Entry& Current() const;

    std::string m_folder;
    std::string m_hostFolder;
    std::vector<Entry> m_entries;
    std::vector<Entry> m_uncarried;
    std::size_t m_next = 0; // index of the entry FindNextFile moves to
    bool m_started = false;
};

} // namespace platform
