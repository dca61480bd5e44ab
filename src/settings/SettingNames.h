// Every value the program keeps in the hive (HKEY_LOCAL_MACHINE), named once.
#pragma once

#include "platform/CodePageSetting.h"

#include <array>
#include <string_view>

namespace settings {

// The maker's key holds the language; the program's key below it the rest.
inline constexpr char kVelmoraKey[] = "Software\\Velmora";
inline constexpr char kProgramKey[] = "Software\\Velmora\\Sonadex Pro";
inline constexpr std::array<const char*, 2> kKeys = {kVelmoraKey, kProgramKey};

// Values of kVelmoraKey.
inline constexpr char kLangPathValue[] = "LangPath"; // folder of the language files, a system path
inline constexpr char kLanguageValue[] = "Language"; // language file name without ".qzd"
// Values of kProgramKey.
inline constexpr char kRenameValue[] = "Rename";     // the rename pattern
inline constexpr char kPromptValue[] = "Prompt";     // ask for missing information: kPromptOn or kPromptOff
inline constexpr char kLastPathValue[] = "LastPath"; // the folder shown last, a system path
inline constexpr char kPromptOn[] = "TRUE";
inline constexpr char kPromptOff[] = "FALSE";

// The machine's code page: the platform reads it at start, so it owns the name.
inline constexpr std::string_view kCodePageKey = platform::kCodePageKey;
inline constexpr std::string_view kCodePageValue = platform::kAnsiCodePageValue;

} // namespace settings
