#include "StorageTestSupport.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

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

std::string Unescape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        switch (c) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 'x':
                out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
                break;
            default:
                out += '\\';
                out += c;
                break;
        }
    }
    return out;
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
        std::string line = text.substr(start, end - start);
        std::vector<std::string> fields;
        size_t from = 0;
        for (;;) {
            size_t tab = line.find('\t', from);
            fields.push_back(Unescape(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from)));
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        lines.push_back(fields);
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

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    fs::path base = fs::temp_directory_path();
    for (;;) {
        fs::path candidate =
            base / ("pv-storage-test-" + std::to_string(std::rand()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            m_path = candidate.string();
            break;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string TempDir::File(const std::string& name) const
{
    return (fs::path(m_path) / name).string();
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
