// The version a compiled version resource (VS_VERSIONINFO) carries, read without version.dll.
#pragma once

#include <cstddef>
#include <string>

namespace pvbase {

// "MAJOR.MINOR.PATCH" from the resource's fixed file information (a non-zero fourth part is
// appended); empty when the bytes hold none.
std::string FileVersionText(const void* resource, std::size_t size);

}  // namespace pvbase
