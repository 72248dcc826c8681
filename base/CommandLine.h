#pragma once
// A program's arguments in UTF-8: on Windows the narrow ones main() gets come in the code page.

#include <string>
#include <vector>

namespace pvbase {

// The arguments after the program's name.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace pvbase
