#include "base/VersionInfo.h"

#include <cstdint>
#include <cstring>

namespace pvbase {

namespace {

const std::uint32_t kFixedInfoSignature = 0xFEEF04BD;

std::uint32_t ReadU32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::string FileVersionText(const void* resource, std::size_t size)
{
    // The fixed block sits 32-bit aligned after the block's header and its key "VS_VERSION_INFO";
    // its signature is followed by the structure version and the file version's two halves.
    const auto* bytes = static_cast<const unsigned char*>(resource);
    for (std::size_t at = 0; bytes && at + 16 <= size; at += 4) {
        if (ReadU32(bytes + at) != kFixedInfoSignature)
            continue;
        const std::uint32_t high = ReadU32(bytes + at + 8);
        const std::uint32_t low = ReadU32(bytes + at + 12);
        std::string text =
            std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16);
        if ((low & 0xFFFF) != 0)
            text += "." + std::to_string(low & 0xFFFF);
        return text;
    }
    return {};
}

}  // namespace pvbase
