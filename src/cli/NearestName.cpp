#include "NearestName.h"

#include <algorithm>
#include <vector>

namespace {

// Optimal string alignment distance (Damerau-Levenshtein without repeated edits of one substring).
std::size_t EditDistance(std::string_view a, std::string_view b)
{
    const std::size_t columns = b.size() + 1;
    std::vector<std::size_t> d((a.size() + 1) * columns);
    const auto at = [&](std::size_t i, std::size_t j) -> std::size_t& { return d[i * columns + j]; };
    for (std::size_t i = 0; i <= a.size(); ++i)
        at(i, 0) = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        at(0, j) = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
        }
    }
    return at(a.size(), b.size());
}

} // namespace

std::optional<std::string> NearestName(std::string_view typed, std::span<const std::string_view> names)
{
    const std::size_t allowed = typed.size() >= 6 ? 2 : 1;
    std::optional<std::string> best;
    std::size_t bestDistance = allowed + 1;
    bool tie = false;
    for (const std::string_view name : names) {
        const std::size_t distance = EditDistance(typed, name);
        if (distance < bestDistance) {
            best = std::string(name);
            bestDistance = distance;
            tie = false;
        } else if (distance == bestDistance) {
            tie = true;
        }
    }
    if (tie || bestDistance == 0) return std::nullopt;
    return best;
}
