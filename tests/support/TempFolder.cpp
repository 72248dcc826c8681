#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#define PV_PROCESS_ID _getpid
#else
#include <unistd.h>
#define PV_PROCESS_ID getpid
#endif

namespace fs = std::filesystem;

namespace pvtest {
namespace {

std::string TestName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "-" + info->name() : "setup";
    std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests
    return name;
}

}  // namespace

TempFolder::TempFolder()
{
    static std::atomic<unsigned> serial{0};
    const std::string stem = "pv-" + TestName() + "-" + std::to_string(PV_PROCESS_ID()) + "-";
    for (;;) {
        m_path = fs::temp_directory_path() / (stem + std::to_string(serial++));
        std::error_code error;
        if (fs::create_directory(m_path, error))
            return;
        if (error)  // a folder that cannot be made at all: fail loudly, not forever
            throw fs::filesystem_error("cannot make a test folder", m_path, error);
    }
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(m_path, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> TempFolder::Entries() const
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(m_path, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace pvtest
