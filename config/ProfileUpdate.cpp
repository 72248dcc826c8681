#include "config/ProfileUpdate.h"

#include <atomic>
#include <cstdio>
#include <map>
#include <set>

#include "base/FileIo.h"
#include "base/Utf8Text.h"
#include "base/WinHandles.h"
#include "config/IniEncoding.h"
#include "config/ProfileText.h"

namespace {

// Settings files are small; anything beyond this is not ours to rewrite.
constexpr DWORD kLargestCopy = 64u * 1024u * 1024u;

std::atomic<unsigned> g_copyCounter{0};

using FileHandle = pvbase::FileHandleOwner;

std::string LowerAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The profile reader strips blanks around values and one pair of quotes; only values that
// survive that unchanged can be compared byte for byte.
bool ReadsBackVerbatim(const std::string& value)
{
    if (value.empty())
        return true;
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    if (blank(value.front()) || blank(value.back()))
        return false;
    if (value.find_first_of("\r\n") != std::string::npos)
        return false;
    if (value.front() == '"' || value.front() == '\'')
        return false;
    return true;
}

bool WriteAll(HANDLE file, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        DWORD chunk = static_cast<DWORD>(data.size() - done > 1u << 20 ? 1u << 20 : data.size() - done);
        DWORD written = 0;
        if (!WriteFile(file, data.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// The whole of a settings file, from its start; false when it is too large or unreadable.
bool ReadWholeFile(HANDLE file, std::string* bytes)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > kLargestCopy)
        return false;
    bytes->assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes->size()) {
        DWORD got = 0;
        if (!ReadFile(file, &(*bytes)[done], static_cast<DWORD>(bytes->size() - done), &got, nullptr))
            return false;
        if (got == 0)
            break;
        done += got;
    }
    bytes->resize(done);
    return true;
}

FileHandle OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition)
{
    return FileHandle(
        CreateFileW(Widen(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadFileBytes(const std::string& path, std::string* bytes)
{
    FileHandle file(OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    return file && ReadWholeFile(file.Get(), bytes);
}

// The file's text in UTF-8, whatever encoding it is kept in.
bool ReadIniText(const std::string& path, std::string* text)
{
    std::string bytes;
    if (!ReadFileBytes(path, &bytes))
        return false;
    *text = IniTextOf(bytes);
    return true;
}

// Copies left behind by a process that ended between staging and committing. Anything
// younger than a minute may still belong to a live update and is left alone.
void RemoveStaleCopies(const std::string& target)
{
    const std::size_t slash = target.find_last_of("\\/");
    const std::string directory = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    WIN32_FIND_DATAW data;
    pvbase::FindHandle find(FindFirstFileW(Widen(target + ".*.pvtmp").c_str(), &data));
    if (!find)
        return;
    FILETIME nowFile;
    GetSystemTimeAsFileTime(&nowFile);
    const uint64_t now = (static_cast<uint64_t>(nowFile.dwHighDateTime) << 32) | nowFile.dwLowDateTime;
    const uint64_t minute = 60ull * 10000000ull;
    do {
        const uint64_t written =
            (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && written + minute < now)
            DeleteFileW(Widen(directory + Narrow(data.cFileName)).c_str());
    } while (FindNextFileW(find.Get(), &data));
}

}  // namespace

bool CProfileUpdate::ReadFileText(const std::string& path, std::string* text)
{
    return ReadIniText(path, text);
}

CProfileUpdate::CProfileUpdate(const std::string& targetPath, Writes writes)
    : m_target(targetPath), m_together(writes == Writes::Together)
{
    m_staged = StageCopy();
}

CProfileUpdate::~CProfileUpdate()
{
    Discard();
}

bool CProfileUpdate::StageCopy()
{
    if (m_target.empty())
        return false;
    std::string content;
    const DWORD attributes = GetFileAttributesW(Widen(m_target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return Failed(pvbase::FileFault::ReadOnly);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return Failed(pvbase::FileFault::Other);
        // Sharing only reads: a file that someone else holds open for writing counts as locked.
        FileHandle source(OpenFile(m_target, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        if (!source || !ReadWholeFile(source.Get(), &content))
            return Failed(m_target);
        FILETIME written;
        if (GetFileTime(source.Get(), nullptr, nullptr, &written)) {
            m_targetTime = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
        }
        m_targetSize = content.size();
        m_targetExisted = true;
    }

    RemoveStaleCopies(m_target);
    // The copy lies beside the file so that the final rename stays on one volume.
    const unsigned pid = GetCurrentProcessId();
    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%u-%u.pvtmp", pid, g_copyCounter.fetch_add(1));
        std::string candidate = m_target + suffix;
        FileHandle copy(OpenFile(candidate, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_NEW));
        if (!copy) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return Failed(candidate);
        }
        m_copyPath = candidate;
        if (!WriteAll(copy.Get(), content) || !FlushFileBuffers(copy.Get()))
            return Failed(candidate);
        break;
    }
    if (m_copyPath.empty())
        return Failed(pvbase::FileFault::Other);
    SetPath(m_copyPath.c_str());
    // Named from the bytes just read, by the parser Verify judges with: asking the system
    // parses the whole file again, which for thousands of sections takes most of a save.
    for (const ProfileText::IniSection& section : ProfileText::ParseIniText(IniTextOf(content))) {
        if (!section.name.empty())
            m_sectionsBefore.push_back(section.name);
    }
    return true;
}

bool CProfileUpdate::PutString(const char* section, const char* key, const char* value)
{
    if (!m_staged)
        return false;
    Change change;
    change.section = section ? section : "";
    if (!key) {
        change.removeSection = true;
    } else {
        change.key = key;
        if (value)
            change.value = value;
        else
            change.removeKey = true;
    }
    if (m_together) {
        m_collected.push_back(
            ProfileText::IniChange{change.section, change.key, change.value, change.removeKey, change.removeSection});
        m_changes.push_back(change);
        return true;
    }
    bool ok = CProfileFile::PutString(section, key, value);
    if (!ok && !m_failedWrite) {
        m_failedWrite = true;
        Failed(m_copyPath);
    }
    m_changes.push_back(change);
    return ok;
}

bool CProfileUpdate::PutSection(const char* section, const std::vector<std::string>& lines)
{
    if (!m_staged)
        return false;
    Change change;
    change.section = section ? section : "";
    change.wholeSection = true;
    if (!ApplyCollected())
        m_failedWrite = true;
    bool ok = CProfileFile::PutSection(section, lines);
    if (!ok && !m_failedWrite) {
        m_failedWrite = true;
        Failed(m_copyPath);
    }
    m_changes.push_back(change);
    return ok;
}

// Writes what was collected into the copy: its text changed in one pass and written back in the
// encoding it was in (an ANSI copy becomes UTF-16 when the code page lacks a character).
bool CProfileUpdate::ApplyCollected()
{
    if (m_collected.empty())
        return true;
    std::vector<ProfileText::IniChange> changes;
    changes.swap(m_collected);
    std::string bytes;
    if (!ReadFileBytes(m_copyPath, &bytes))
        return false;
    const std::string text = ProfileText::ApplyIniChanges(IniTextOf(bytes), changes);
    Flush();  // nothing of the system's may stay cached over the new text
    return RewriteCopy(IniBytesOf(text, IniEncodingOf(bytes)));
}

bool CProfileUpdate::RewriteCopy(const std::string& bytes) const
{
    FileHandle copy(OpenFile(m_copyPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, TRUNCATE_EXISTING));
    return copy && WriteAll(copy.Get(), bytes);
}

// A copy that went UTF-16 for a value since removed goes back to ANSI: other programs read the
// file in the code page while it holds nothing more.
bool CProfileUpdate::BackToAnsiWhereItFits()
{
    std::string bytes;
    if (!ReadFileBytes(m_copyPath, &bytes))
        return false;
    if (IniEncodingOf(bytes) != IniEncoding::Utf16)
        return true;
    const std::string ansi = IniBytesOf(IniTextOf(bytes), IniEncoding::Ansi);
    return IniEncodingOf(ansi) == IniEncoding::Utf16 || RewriteCopy(ansi);
}

bool CProfileUpdate::Verify() const
{
    // Replay the changes to know what the copy must hold now.
    std::set<std::string> touched;                                      // lower-case section names
    std::map<std::string, bool> removed;                                // section -> removed at the end
    std::map<std::pair<std::string, std::string>, const Change*> keys;  // last change per key
    for (const Change& change : m_changes) {
        const std::string section = LowerAscii(change.section);
        touched.insert(section);
        if (change.removeSection || change.wholeSection) {
            removed[section] = change.removeSection;
            for (auto it = keys.begin(); it != keys.end();) {
                it = (it->first.first == section) ? keys.erase(it) : std::next(it);
            }
        } else {
            if (!change.removeKey)
                removed[section] = false;
            keys[{section, LowerAscii(change.key)}] = &change;
        }
    }

    // Judge the bytes on disk, not what the system's profile cache remembers.
    std::string text;
    if (!ReadIniText(m_copyPath, &text))
        return false;
    const std::vector<ProfileText::IniSection> sections = ProfileText::ParseIniText(text);
    const ProfileText::CIniIndex index(sections);

    // Sections the update did not touch must all still be there: a cut-short file loses them.
    for (const std::string& name : m_sectionsBefore) {
        if (!touched.count(LowerAscii(name)) && !index.Section(name))
            return false;
    }
    for (const auto& entry : removed) {
        if (entry.second && index.Section(entry.first))
            return false;
    }
    for (const auto& entry : keys) {
        const Change& change = *entry.second;
        const std::string* value = index.Value(change.section, change.key);
        if (change.removeKey) {
            if (value)
                return false;
        } else if (!value) {
            return false;
        } else if (ReadsBackVerbatim(change.value) && *value != change.value) {
            return false;
        }
    }
    return true;
}

bool CProfileUpdate::Commit()
{
    if (!m_staged || m_failedWrite) {
        Discard();
        return false;
    }
    if (m_changes.empty()) {
        Discard();
        return true;
    }
    if (!ApplyCollected()) {
        Discard();
        return false;
    }
    Flush();
    if (!BackToAnsiWhereItFits()) {
        Failed(m_copyPath);
        Discard();
        return false;
    }
    if (!Verify()) {
        // The writer does not say why a value went missing: almost always a disk that filled up.
        Failed(pvbase::FileFault::DiskFull);
        Discard();
        return false;
    }
    {
        FileHandle copy(OpenFile(m_copyPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
        if (!copy || !FlushFileBuffers(copy.Get())) {
            Failed(m_copyPath);
            Discard();
            return false;
        }
    }

    // Someone may have changed the file since it was copied: never overwrite that.
    const DWORD attributes = GetFileAttributesW(Widen(m_target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        bool unchanged = m_targetExisted && !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
        if (unchanged) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            unchanged = GetFileAttributesExW(Widen(m_target).c_str(), GetFileExInfoStandard, &data) &&
                        ((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                         data.ftLastWriteTime.dwLowDateTime) == m_targetTime &&
                        ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) == m_targetSize;
        }
        if (!unchanged) {
            Failed(attributes & FILE_ATTRIBUTE_READONLY ? pvbase::FileFault::ReadOnly : pvbase::FileFault::InUse);
            Discard();
            return false;
        }
        const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
        if (kept)
            SetFileAttributesW(Widen(m_copyPath).c_str(), kept);
    } else if (m_targetExisted) {
        Failed(pvbase::FileFault::Missing);
        Discard();  // deleted meanwhile: leave it to whoever did that
        return false;
    }

    if (!pvbase::ReplaceFileAtomically(m_copyPath, m_target)) {
        Failed(pvbase::LastFileFault());
        Discard();
        return false;
    }
    m_copyPath.clear();
    m_staged = false;
    SetPath(m_target.c_str());
    return true;
}

bool CProfileUpdate::Failed(const std::string& path)
{
    pvbase::NoteFileError(GetLastError(), path);
    return Failed(pvbase::LastFileFault());
}

bool CProfileUpdate::Failed(pvbase::FileFault fault)
{
    if (m_fault == pvbase::FileFault::None)
        m_fault = fault;
    return false;
}

void CProfileUpdate::Discard()
{
    if (!m_copyPath.empty()) {
        DeleteFileW(Widen(m_copyPath).c_str());
        m_copyPath.clear();
    }
    m_staged = false;
    m_changes.clear();
}
