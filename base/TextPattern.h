// Messages put together from a pattern whose %1 ... %9 stand for the arguments: a translated
// pattern may place them wherever its language wants them.
#pragma once

#include <initializer_list>
#include <string>

namespace pvbase {

// Replaces %1 ... %9 with the arguments in that order ("%%" is one "%"); a number without an
// argument is left out.
std::string FillPlaceholders(const std::string& pattern, std::initializer_list<std::string> arguments);

}  // namespace pvbase
