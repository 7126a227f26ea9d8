#pragma once

#include <string>
#include <string_view>

namespace perne::cli {

// The text with what a terminal would act on written out instead: control characters as \n,
// \t, \x1B or \u202E, and bytes that are not UTF-8 as \xHH. For file names and other typed
// values in one-line messages.
std::string printable(std::string_view text);

} // namespace perne::cli
