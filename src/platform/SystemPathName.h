// Splitting a system path ("C:\Musik\a.mp3") into its folder and last name,
// and joining the two again; and the join of a host folder and a name.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// "C:\Musik\a.mp3" -> "C:\Musik", "C:\a.mp3" -> "C:" (a drive's root is its
// letter and colon), "C:a.mp3" -> "C:", "\a.mp3" -> "\"; a bare name has no folder.
std::string_view FolderOfSystemPath(std::string_view systemPath);
// "C:\Musik\a.mp3" -> "a.mp3", "C:a.mp3" -> "a.mp3", "C:" -> "", "a.mp3" -> "a.mp3".
std::string_view NameOfSystemPath(std::string_view systemPath);
// The path of name in folder: "C:" + "a.mp3" -> "C:\a.mp3"; no folder: the name alone.
std::string JoinSystemPath(std::string_view folder, std::string_view name);
// The host path of name in the host folder: "/music" + "a.mp3" -> "/music/a.mp3", "/" + "a.mp3" -> "/a.mp3".
std::string JoinHostPath(std::string_view folder, std::string_view name);

} // namespace platform
