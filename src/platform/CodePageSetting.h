// Where the hive keeps the machine's code page. The machine reads it at start;
// the settings unit names it beside the program's own settings.
#pragma once

#include <string_view>

namespace platform {

inline constexpr std::string_view kCodePageKey = R"(System\CurrentControlSet\Control\Nls\CodePage)";
inline constexpr std::string_view kAnsiCodePageValue = "ACP";

} // namespace platform
