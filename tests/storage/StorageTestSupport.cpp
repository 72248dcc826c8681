#include "StorageTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "tools/pvdict/TabText.h"

namespace fs = std::filesystem;

namespace storage_test {

std::string Reference(const std::string& relative)
{
    std::string root = PV_SHARED_DIR;
#ifdef _WIN32
    if (!root.empty() && root[0] == '/')
        root = "Z:" + root;  // the Unix root under Wine
#endif
    return root + "/metakit/" + relative;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

std::vector<std::vector<std::string>> ReadTsv(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::string text(bytes.begin(), bytes.end());
    std::vector<std::vector<std::string>> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::vector<std::string> fields;
        std::string error;
        EXPECT_TRUE(ParseFields(std::string_view(text).substr(start, end - start), fields, error))
            << path << ": " << error;
        lines.push_back(std::move(fields));
        start = end + 1;
    }
    return lines;
}

std::vector<ViewContent> ReadExpected(const std::string& path)
{
    std::vector<ViewContent> views;
    for (const auto& fields : ReadTsv(path)) {
        if (!fields.empty() && !fields[0].empty() && fields[0][0] == '#' && fields.size() == 1) {
            std::string header = fields[0].substr(1);
            views.push_back(ViewContent{header.substr(0, header.find(' ')), {}});
            continue;
        }
        if (!views.empty())
            views.back().rows.emplace_back(fields[0], fields.size() > 1 ? fields[1] : std::string());
    }
    return views;
}

Rows Dump(const c4_Storage& storage, const char* name)
{
    Rows rows;
    c4_View view = storage.View(name);
    for (int r = 0; r < view.GetSize(); ++r)
        rows.emplace_back(std::string(view.GetString(r, 0)), std::string(view.GetString(r, 1)));
    return rows;
}

std::string ScrambleText(const std::string& plain)
{
    std::string out = plain;
    for (char& c : out) {
        uint8_t t = static_cast<uint8_t>(c) ^ 0x0C;
        c = static_cast<char>(static_cast<uint8_t>((t << 5) | (t >> 3)));
    }
    return out;
}

static void XorInPlace(t4_i32 pos, uint8_t* bytes, int length)
{
    for (int i = 0; i < length; ++i)
        bytes[i] ^= static_cast<uint8_t>(((pos + i) & 0xFF) ^ 0xC5);
}

int XorStrategy::DataRead(t4_i32 pos, void* buffer, int length)
{
    if (length < 1)
        return 0;
    int got = c4_FileStrategy::DataRead(pos, buffer, length);
    if (got > 0)
        XorInPlace(pos, static_cast<uint8_t*>(buffer), got);
    return got;
}

bool XorStrategy::DataWrite(t4_i32 pos, const void* buffer, int length)
{
    if (length < 1)
        return true;
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(buffer), static_cast<const uint8_t*>(buffer) + length);
    XorInPlace(pos, copy.data(), length);
    return c4_FileStrategy::DataWrite(pos, copy.data(), length);
}

std::vector<uint8_t> XorImage(std::vector<uint8_t> bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] ^= static_cast<uint8_t>((i & 0xFF) ^ 0xC5);
    return bytes;
}

}  // namespace storage_test
