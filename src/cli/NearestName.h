// "did you mean ...?" for a misspelt command or option.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// The name closest to typed by edits (insert, delete, change, swap of two
// neighbours), when it is near enough to be a slip: at most one edit for
// short names, two from six letters on; nullopt when none is, or when two
// are equally near.
std::optional<std::string> NearestName(std::string_view typed, std::span<const std::string_view> names);
