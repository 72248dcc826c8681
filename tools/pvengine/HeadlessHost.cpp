#include "tools/pvengine/HeadlessHost.h"

#include "base/Utf8Text.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "textout/Keystrokes.h"
#include "textout/MacroScript.h"

namespace {

const unsigned kShiftKey = 0x10;
// Monday 5 January 2026, 09:00:00: where the clock starts.
const std::time_t kClockStart = 1767603600;

}  // namespace

CHeadlessHost::CHeadlessHost(const CCodePage& ansiCodePage)
    : m_ansiCodePage(ansiCodePage), m_edit(Utf8CodePage()), m_core(Platform(), nullptr)
{
}

PlatformServices CHeadlessHost::Platform()
{
    return PlatformServices{this, this, this, this, this, this, this, &Utf8CodePage(), &m_ansiCodePage};
}

bool CHeadlessHost::Load(const std::string& libsDirectory, const std::string& autoLearnPath)
{
    const std::string pattern = libsDirectory.empty() ? std::string() : libsDirectory + "/*.lib";
    const bool loaded = m_core.Load(pattern, autoLearnPath);
    Pump();
    return loaded;
}

bool CHeadlessHost::Teach(const std::vector<std::string>& paths, TeachingReport& report)
{
    const std::vector<std::string> documents = ExpandDocumentPaths(paths);
    CTaughtWords taught;
    ReadDocumentsToTeach(documents, taught, report);
    const CTaughtWords::RankOf rankOf = [this](std::string_view word) {
        return m_core.Dictionaries().RankOf(word);
    };
    TeachUsage(taught, m_core.Engine().Usage(), rankOf);
    std::vector<std::string> added;
    const std::string built = m_core.AutoLearn().Path() + ".taught";
    std::unique_ptr<CAutoLearnDictionary> store =
        BuildTaughtAutoLearn(taught, m_core.AutoLearn(), built, rankOf, added);
    return store && m_core.AdoptAutoLearn(std::move(store));
}

// ---------------------------------------------------------------------------------------------
// Events

void CHeadlessHost::Report(unsigned vk, const std::string& text, bool release)
{
    // The key gate hands the engine the key's UTF-16 units, two at most.
    const std::u16string units = Utf16Of(text);
    std::uint32_t packed = 0;
    for (std::size_t i = units.size() < 2 ? units.size() : 2; i-- > 0;)
        packed = (packed << 16) | units[i];
    if (m_core.Engine().OnHookKey(KeyReport::FromHook(packed, vk << 8 | (release ? 1u : 0u))) == KeyAnswer::Pass &&
        !release)
        m_edit.UserKey(vk, text);
    Pump();
}

void CHeadlessHost::TypeCharacter(const std::string& character)
{
    if (character == "\n" || character == "\r") {
        PressKey(vkey::Return, '\r');
        return;
    }
    const std::int16_t scan = character.size() == 1 ? CTargetEdit::LayoutKey(character[0]) : -1;
    // A character no key of the layout types still comes with some key.
    const unsigned vk = scan == -1 ? 0xDF : static_cast<unsigned>(scan & 0xFF);
    const bool shift = scan != -1 && (scan & 0x100) != 0;
    Step();
    if (shift)
        Report(kShiftKey, std::string(), false);
    Report(vk, character, false);
    Report(vk, character, true);
    if (shift)
        Report(kShiftKey, std::string(), true);
}

void CHeadlessHost::PressKey(unsigned vk, char ch)
{
    const std::string text = ch ? std::string(1, ch) : std::string();
    Step();
    Report(vk, text, false);
    Report(vk, text, true);
}

void CHeadlessHost::Reset()
{
    Step();
    CCompletionEngine& engine = m_core.Engine();
    engine.SaveWindowText(m_editWindow);
    ++m_editWindow;
    m_edit.Clear();
    engine.RestoreWindowText(m_editWindow);
    Pump();
}

void CHeadlessHost::Pump()
{
    CCompletionEngine& engine = m_core.Engine();
    for (;;) {
        if (!m_queue.empty()) {
            const Message message = m_queue.front();
            m_queue.pop_front();
            if (message == Message::Search)
                engine.SearchTyped();
            else
                engine.RunQueuedCompletion();
        } else if (!m_markers.empty()) {
            // The edit took the output at once: the marker behind it comes back now.
            const unsigned marker = m_markers.front();
            m_markers.pop_front();
            engine.OnHookKey(KeyReport{0, marker, false});
            engine.OnHookKey(KeyReport{0, marker, true});
        } else if (m_ownInputTimer) {
            m_ownInputTimer = false;
            engine.OnOwnInputTimer();
        } else if (m_acceptInputTimer) {
            m_acceptInputTimer = false;
            engine.OnAcceptInputTimer();
        } else {
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The prompt

int CHeadlessHost::ShowRows(const std::vector<PromptRow>& rows, bool)
{
    m_rows = rows;
    return static_cast<int>(m_rows.size());
}

std::vector<PromptRow> CHeadlessHost::VisibleRows() const
{
    return m_visible ? m_rows : std::vector<PromptRow>();
}

int CHeadlessHost::Selected() const
{
    return m_visible && !m_rows.empty() ? m_core.Engine().SelectedRow() : -1;
}

int CHeadlessHost::Page() const
{
    const CCompletionEngine& engine = m_core.Engine();
    return m_visible ? engine.PageStart() / std::max(engine.PageSize(), 1) : 0;
}

// ---------------------------------------------------------------------------------------------
// Output into the edit, folders, time

void CHeadlessHost::Type(WindowHandle, int backspaces, const CMacroScript& script)
{
    script.PlayScript(m_edit, backspaces);
}

void CHeadlessHost::ReplayText(const std::string& text)
{
    PlayText(m_edit, text);
}

void CHeadlessHost::ReplayKey(unsigned vk, bool release)
{
    SendKeyEvent(m_edit, static_cast<std::uint8_t>(vk), release);
}

bool CHeadlessHost::ListDirectory(const std::string& pattern, const std::function<bool(const DirectoryEntry&)>& visit)
{
    // "X:\folder\*.*": the folder below the drive's root, in the root folder given.
    if (m_driveRoot.empty() || pattern.size() < 3 || pattern[1] != ':' || pattern[2] != '\\')
        return false;
    const std::size_t cut = pattern.rfind('\\');
    std::string folder = m_driveRoot + "/" + pattern.substr(3, cut - 2);
    std::replace(folder.begin(), folder.end(), '\\', '/');
    std::error_code error;
    std::vector<DirectoryEntry> entries;
    for (std::filesystem::directory_iterator it(std::filesystem::u8path(folder), error), end; !error && it != end;
         it.increment(error)) {
        const bool isFolder = it->is_directory(error);
        entries.push_back(DirectoryEntry{it->path().filename().u8string(), isFolder ? kFileAttributeDirectory : 0u});
    }
    if (error && entries.empty())
        return false;
    // The system's order may differ from run to run: by name, so that replays agree.
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    for (const DirectoryEntry& entry : entries)
        if (!visit(entry))
            break;
    return true;
}

LocalTime CHeadlessHost::Now() const
{
    const std::time_t now = kClockStart + static_cast<std::time_t>(m_seconds);
    const std::tm* utc = std::gmtime(&now);
    LocalTime time;
    time.year = utc->tm_year + 1900;
    time.month = utc->tm_mon + 1;
    time.day = utc->tm_mday;
    time.hour = utc->tm_hour;
    time.minute = utc->tm_min;
    time.second = utc->tm_sec;
    time.weekday = utc->tm_wday;
    return time;
}
