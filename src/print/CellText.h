// Shortening a cell's text so that it fits its column on the printout.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// text is UTF-8. widthOf measures a text in the listing font. room is the column's width
// less the gap to the next column. While text is too wide, its last four
// characters (all, when fewer) give way to "...". When not even "..." fits,
// the result is empty: the cell prints nothing rather than spilling over.
std::string FitCellText(std::string text, double room, const std::function<double(std::string_view)>& widthOf);
