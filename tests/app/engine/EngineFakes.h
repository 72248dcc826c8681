// Fakes of the engine's services and a fixture that drives the engine as the main window does:
// key reports from the hook, then the messages the engine posted, in order.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <set>
#include <functional>
#include <string>
#include <vector>

#include "app/engine/CompletionEngine.h"
#include "dict/CodePage.h"
#include "textout/MacroScript.h"
#include "textout/TimeFormat.h"

namespace enginetest {

constexpr WindowHandle kPrompt = 0x9000;
constexpr WindowHandle kEditA = 0x1001;
constexpr WindowHandle kEditB = 0x1002;
constexpr WindowHandle kTopA = 0x2001;
constexpr WindowHandle kPassword = 0x1003;

enum PostedMessage { POSTED_SEARCH, POSTED_COMPLETE };

// What the prompt shows and the engine's pacing in one record, so that the fixture sees the
// order of both.
class FakeView : public IPromptView, public IEngineScheduler {
public:
    WindowHandle Handle() const override { return kPrompt; }
    bool IsPromptVisible() const override { return visible; }
    void ShowPrompt(bool show) override
    {
        Effect();
        visible = show && caretKnown;
    }
    int ShowRows(const std::vector<PromptRow>& newRows, bool pathPage) override
    {
        Effect();
        rows = newRows;
        if (rows.size() > insertLimit)
            rows.resize(insertLimit);
        lastPagePath = pathPage;
        selected = rows.empty() ? -1 : 0;
        return static_cast<int>(rows.size());
    }
    void SelectRow(int row) override
    {
        Effect();
        selected = row;
    }
    void ClearRows() override
    {
        Effect();
        rows.clear();
        selected = -1;
    }
    void ShowPreview(const std::string& text, int style) override
    {
        Effect();
        preview = text;
        previewStyle = style;
    }
    // As the program's window does, only the first answer to a report counts (keys typed again
    // after a completion are answered to nobody).
    void AnswerKey(KeyAnswer answer) override
    {
        if (!awaitingAnswer)
            return;
        answers.push_back(answer);
        awaitingAnswer = false;
    }
    void PostSearch() override
    {
        Effect();
        queue.push_back(POSTED_SEARCH);
    }
    void PostComplete() override
    {
        Effect();
        queue.push_back(POSTED_COMPLETE);
    }
    void StartAcceptInputTimer() override
    {
        Effect();
        ++timerStarts;
    }
    void StartOwnInputTimer() override { ++ownInputTimerStarts; }
    // Something the user or the message queue sees happened while a key still waited.
    void Effect()
    {
        if (awaitingAnswer)
            ++effectsBeforeAnswer;
    }

    std::vector<std::string> RowTexts() const
    {
        std::vector<std::string> texts;
        for (const PromptRow& row : rows)
            texts.push_back(row.text);
        return texts;
    }

    bool visible = false;
    bool caretKnown = true;
    std::vector<PromptRow> rows;
    std::size_t insertLimit = 100000;
    bool lastPagePath = false;
    int selected = -1;
    std::string preview;
    int previewStyle = 0;
    std::deque<PostedMessage> queue;
    int timerStarts = 0;
    int ownInputTimerStarts = 0;
    // Answers given to the key being reported, and what happened before the first one.
    std::vector<KeyAnswer> answers;
    bool awaitingAnswer = false;
    int effectsBeforeAnswer = 0;
};

class FakeFocus : public IFocusTracker {
public:
    void SyncFocus() override
    {
        if (onSync)
            onSync();
    }
    bool IsTargetControl() override { return focus != 0 && target; }
    WindowHandle FocusWindow() override { return focus; }
    bool IsPasswordControl(WindowHandle window) override { return passwords.count(window) != 0; }

    WindowHandle focus = kEditA;
    bool target = true;
    std::set<WindowHandle> passwords{kPassword};
    std::function<void()> onSync;  // what the system's focus turns out to be before a key
};

class FakeDesktop : public IDesktop {
public:
    WindowHandle ForegroundWindow() override { return foreground; }
    WindowHandle TopLevelAncestor(WindowHandle window) override
    {
        auto it = topLevel.find(window);
        return it == topLevel.end() ? window : it->second;
    }
    bool WindowExists(WindowHandle window) override { return dead.count(window) == 0; }
    bool EngineWorksIn(WindowHandle window) override { return excluded.count(window) == 0; }

    WindowHandle foreground = kTopA;
    std::map<WindowHandle, WindowHandle> topLevel{{kEditA, kTopA}, {kEditB, kTopA}};
    std::set<WindowHandle> dead;
    std::set<WindowHandle> excluded;
};

class FakeFiles : public IFileSystem {
public:
    bool ListDirectory(const std::string& pattern, const std::function<bool(const DirectoryEntry&)>& visit) override
    {
        listed.push_back(pattern);
        auto it = folders.find(pattern);
        if (it == folders.end() || it->second.empty())
            return false;
        for (const DirectoryEntry& entry : it->second)
            if (!visit(entry))
                break;
        return true;
    }
    void Add(const std::string& pattern, const std::string& name, std::uint32_t attributes)
    {
        folders[pattern].push_back(DirectoryEntry{name, attributes});
    }

    std::map<std::string, std::vector<DirectoryEntry>> folders;
    std::vector<std::string> listed;
};

// A merged dictionary search over entries given in their merged order.
class FakeDictionaries : public IDictionarySearch {
public:
    struct Entry {
        std::string key;
        std::string data;
        int type;
        int rank;
        int language = 0;
    };
    void Add(const std::string& key, const std::string& data = std::string(), int type = KIND_WORD, int rank = 0)
    {
        entries.push_back(Entry{key, data, type, rank});
    }
    // A word of a language's dictionary.
    void AddIn(int language, const std::string& key, int rank)
    {
        entries.push_back(Entry{key, std::string(), KIND_WORD, rank, language});
    }
    std::vector<int> Languages() override
    {
        std::vector<int> languages;
        for (const Entry& entry : entries)
            if (entry.language != 0 && std::find(languages.begin(), languages.end(), entry.language) == languages.end())
                languages.push_back(entry.language);
        return languages;
    }
    std::vector<LanguageRank> LanguagesHolding(const std::string& word) override
    {
        std::vector<LanguageRank> held;
        for (const Entry& entry : entries)
            if (entry.language != 0 && Lower(entry.key) == Lower(word))
                held.push_back(LanguageRank{entry.language, entry.rank});
        return held;
    }
    void SetLanguageOffsets(const std::vector<LanguageRank>& offsets) override { languageOffsets = offsets; }
    // Ranked: the matches of the key order, stably sorted by rank.
    bool FindFirstRanked(const std::string& query, int matchMode, bool includeShorthand, DictionaryMatch& match,
                         int& rank) override
    {
        m_ranked.clear();
        for (bool found = FindFirst(query, matchMode, includeShorthand, match); found; found = Step(match)) {
            m_ranked.push_back(entries[m_cursor - 1]);
            for (const LanguageRank& offset : languageOffsets)
                if (offset.language == m_ranked.back().language && m_ranked.back().rank > 0)
                    m_ranked.back().rank += offset.rank;
        }
        std::stable_sort(m_ranked.begin(), m_ranked.end(),
                         [](const Entry& a, const Entry& b) { return a.rank > b.rank; });
        m_rankedNext = 0;
        return FindNextRanked(match, rank);
    }
    bool FindNextRanked(DictionaryMatch& match, int& rank) override
    {
        match.Clear();
        rank = 0;
        if (m_rankedNext >= m_ranked.size())
            return false;
        const Entry& entry = m_ranked[m_rankedNext++];
        match.key = entry.key;
        match.data = entry.data;
        match.type = entry.type;
        match.language = entry.language;
        match.ownCapital = !entry.key.empty() && std::isupper(static_cast<unsigned char>(entry.key[0]));
        rank = entry.rank;
        return true;
    }
    int RankOf(const std::string& word) override
    {
        for (const Entry& entry : entries)
            if (entry.type == KIND_WORD && entry.key == word)
                return entry.rank;
        return -1;
    }
    bool FindFirst(const std::string& query, int matchMode, bool includeShorthand, DictionaryMatch& match) override
    {
        ++firstCalls;
        m_query = Lower(query);
        m_mode = matchMode;
        m_shorthand = includeShorthand;
        m_cursor = 0;
        return Step(match);
    }
    bool FindNext(DictionaryMatch& match) override
    {
        ++nextCalls;
        return Step(match);
    }

    std::vector<Entry> entries;
    std::vector<LanguageRank> languageOffsets;
    int firstCalls = 0;
    int nextCalls = 0;

private:
    static std::string Lower(std::string text)
    {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }
    bool Step(DictionaryMatch& match)
    {
        match.Clear();
        for (; m_cursor < entries.size(); ++m_cursor) {
            const Entry& entry = entries[m_cursor];
            if (entry.type == KIND_SHORTHAND && !m_shorthand)
                continue;
            const bool phrase = entry.key.find(' ') != std::string::npos;
            if (entry.type == KIND_WORD && phrase && !(m_mode & MATCH_PHRASES))
                continue;
            if (entry.type == KIND_WORD && !phrase && !(m_mode & MATCH_WORDS))
                continue;
            if (Lower(entry.key).compare(0, m_query.size(), m_query) != 0)
                continue;
            match.key = entry.key;
            match.data = entry.data;
            match.type = entry.type;
            ++m_cursor;
            return true;
        }
        return false;
    }
    std::string m_query;
    int m_mode = 0;
    bool m_shorthand = true;
    std::size_t m_cursor = 0;
    std::vector<Entry> m_ranked;
    std::size_t m_rankedNext = 0;
};

class FakeAutoLearn : public IAutoLearnStore {
public:
    bool EndsWithSeparator(const std::string& text) override
    {
        return !text.empty() && separators.find(text.back()) != std::string::npos;
    }
    void Learn(const std::string& typedText) override { learnt.push_back(typedText); }
    std::string FirstSuggestion(const std::string& prefix) override
    {
        m_next = 0;
        return NextSuggestion(prefix);
    }
    std::string NextSuggestion(const std::string& prefix) override
    {
        if (endless)
            return prefix + "x";
        while (m_next < items.size()) {
            const std::string& item = items[m_next++];
            if (item.compare(0, prefix.size(), prefix) == 0)
                return item;
        }
        return std::string();
    }

    std::string separators = std::string("; ',.!\"?") + "\t\r\n";
    std::vector<std::string> items;   // learnt texts in file order
    std::vector<std::string> learnt;  // texts handed to Learn
    bool endless = false;             // a broken store that never runs out

private:
    std::size_t m_next = 0;
};

// Records what reaches the target application, one line per action.
class FakeOutput : public IKeyOutput {
public:
    void BringToFront(WindowHandle target) override { log.push_back("front " + std::to_string(target)); }
    void Type(WindowHandle target, int backspaces, const CMacroScript& script) override
    {
        if (backspaces > 0)
            log.push_back("backspace " + std::to_string(backspaces));
        std::string pieces;
        for (const std::string& piece : script.GetPieces())
            pieces += (pieces.empty() ? "" : "|") + piece;
        log.push_back("type " + pieces);
        for (int i = 0; i < backspaces; ++i)
            Press(0x08);
        for (const std::string& piece : script.GetPieces())
            typed += piece;
        if (duringTyping)
            duringTyping();
    }
    void ReplayText(const std::string& text) override
    {
        log.push_back("again " + text);
        typed += text;
    }
    void ReplayKey(unsigned vk, bool release) override
    {
        log.push_back("again key " + std::to_string(vk) + (release ? " up" : " down"));
        if (!release)
            Press(vk);
    }
    // What a key press that reaches a plain edit does to its text.
    void Press(unsigned vk, const std::string& text = std::string())
    {
        if (vk == 0x08) {
            if (!typed.empty())
                typed.pop_back();
        } else if (vk == 0x09 || vk == 0x0D) {
            typed += static_cast<char>(vk);
        } else if (!text.empty() && static_cast<unsigned char>(text[0]) >= 0x20) {
            typed += text;
        }
    }
    void SendOwnInputMarker(unsigned vk) override
    {
        ++markersSent;
        markerKeys.push_back(vk);
    }
    void Beep() override { log.push_back("beep"); }

    std::vector<std::string> log;
    std::string typed;  // the target's text: the engine's output and the keys that passed (Press)
    int markersSent = 0;
    std::vector<unsigned> markerKeys;  // in the order sent
    // Runs while the text is being typed, as messages that a paste lets in would.
    std::function<void()> duringTyping;
};

// Saturday 7 March 2026, 14:05:09.
class FixedClock : public CClock {
public:
    LocalTime Now() const override
    {
        LocalTime time;
        time.year = 2026;
        time.month = 3;
        time.day = 7;
        time.hour = 14;
        time.minute = 5;
        time.second = 9;
        time.weekday = 6;
        return time;
    }
};

// ASCII case folding; optionally the lead bytes of a double-byte code page (0x81-0x9F, 0xE0-0xFC).
class TestCodePage : public CCodePage {
public:
    explicit TestCodePage(bool doubleByte = false)
    {
        for (int b = 0; b < 256; ++b) {
            m_lower[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
            m_leadByte[b] = doubleByte && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
        }
    }
    unsigned Id() const override { return 1252; }
    bool ToUtf16(std::string_view, std::u16string&) const override { return false; }
    // Keys come as UTF-16: a byte is the unit of its value, a double-byte character the unit
    // of its two bytes (lead byte high); anything else is the default character.
    bool FromUtf16(std::u16string_view text, std::string& out) const override
    {
        for (const char16_t unit : text) {
            if (unit < 0x100 && !m_leadByte[unit]) {
                out += static_cast<char>(unit);
            } else if (unit >= 0x100 && m_leadByte[unit >> 8]) {
                out += static_cast<char>(unit >> 8);
                out += static_cast<char>(unit & 0xFF);
            } else {
                out += '?';
            }
        }
        return true;
    }
    bool FromUtf16Counted(std::u16string_view text, std::string& out, int& unconvertible) const override
    {
        const std::size_t at = out.size();
        FromUtf16(text, out);
        unconvertible += static_cast<int>(std::count(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(), '?') -
                                          std::count(text.begin(), text.end(), u'?'));
        return true;
    }
};

// Virtual keys the tests press.
constexpr unsigned VK_BACK_ = 0x08, VK_TAB_ = 0x09, VK_RETURN_ = 0x0D, VK_ESCAPE_ = 0x1B;
constexpr unsigned VK_PRIOR_ = 0x21, VK_NEXT_ = 0x22, VK_LEFT_ = 0x25, VK_UP_ = 0x26, VK_DOWN_ = 0x28;
constexpr unsigned VK_F1_ = 0x70, VK_F2_ = 0x71;

inline unsigned KeyInfo(unsigned vk, bool released)
{
    return (vk << 8) | (released ? 1u : 0u);
}

// An engine with its fakes, driven as the main window does.
class EngineRig {
public:
    explicit EngineRig(bool doubleByte = false) : codePage(doubleByte)
    {
        services.view = &view;
        services.scheduler = &view;
        services.focus = &focus;
        services.desktop = &desktop;
        services.files = &files;
        services.dictionaries = &dictionaries;
        services.autoLearn = &autoLearn;
        services.output = &output;
        services.clock = &clock;
        services.codePage = &codePage;
        engine = std::make_unique<CCompletionEngine>(services);
        engine->ApplySettings(ClassicSettings());
    }

    // Most tests check the classic order: learnt items first, then the dictionaries' key order.
    static EngineSettings ClassicSettings()
    {
        EngineSettings settings;
        settings.bRankByUse = 0;
        return settings;
    }

    // Runs the messages the engine posted to its window, as the message loop would, and hands
    // the engine the marker behind its output, as the hook reports it once the target took it.
    void Pump()
    {
        for (int guard = 0; (!view.queue.empty() || output.markersSent > markersDelivered) && guard < 100; ++guard) {
            if (view.queue.empty()) {
                const unsigned marker = output.markerKeys[markersDelivered++];
                Hook(0, KeyInfo(marker, false));
                Hook(0, KeyInfo(marker, true));
                continue;
            }
            const PostedMessage message = view.queue.front();
            view.queue.pop_front();
            if (message == POSTED_SEARCH)
                engine->SearchTyped();
            else
                engine->RunQueuedCompletion();
        }
    }

    // One key report as the main window hands it on, answered as the hook reads the reply (1 the
    // key passes, 0 it is swallowed). The engine answers it exactly once, with what it returns,
    // before it touches the prompt or queues anything.
    int Hook(unsigned units, unsigned keyInfo)
    {
        // Only a press with searches still queued may wait for them.
        const KeyReport key = KeyReport::FromHook(units, keyInfo);
        const bool mayCatchUp =
            !key.released && std::find(view.queue.begin(), view.queue.end(), POSTED_SEARCH) != view.queue.end();
        view.answers.clear();
        view.awaitingAnswer = true;
        view.effectsBeforeAnswer = 0;
        const KeyAnswer result = engine->OnHookKey(key);
        view.awaitingAnswer = false;
        EXPECT_EQ(view.answers, std::vector<KeyAnswer>{result}) << "key info " << keyInfo;
        if (!mayCatchUp) {
            EXPECT_EQ(view.effectsBeforeAnswer, 0) << "key info " << keyInfo;
        }
        return static_cast<int>(result);
    }

    // Press and release of one key as the hook reports them (units: KeyReport::units); the
    // answers for both.
    std::pair<int, int> Key(unsigned vk, unsigned units = 0)
    {
        const int press = Hook(units, KeyInfo(vk, false));
        const int release = Hook(units, KeyInfo(vk, true));
        Pump();
        return {press, release};
    }

    static unsigned VirtualKeyOf(char c)
    {
        if (std::isalpha(static_cast<unsigned char>(c)))
            return static_cast<unsigned>(std::toupper(static_cast<unsigned char>(c)));
        if (std::isdigit(static_cast<unsigned char>(c)) || c == ' ')
            return static_cast<unsigned>(c);
        if (c == '\r')
            return VK_RETURN_;
        return 0xBA;  // some punctuation key
    }

    // The report's units of one character: a surrogate pair fills both halves.
    static unsigned UnitsOf(std::u16string_view character)
    {
        unsigned units = 0;
        for (std::size_t i = 0; i < character.size() && i < 2; ++i)
            units |= static_cast<unsigned>(character[i]) << (16 * i);
        return units;
    }

    // Types UTF-8 text key by key, one key a character (beyond ASCII on some punctuation key);
    // every key must pass.
    void Type(const std::string& text)
    {
        const std::u16string units = Utf16Of(text);
        for (std::size_t i = 0; i < units.size(); ++i) {
            const bool pair = (units[i] & 0xFC00) == 0xD800 && i + 1 < units.size();
            const std::u16string_view character = std::u16string_view(units).substr(i, pair ? 2 : 1);
            const char c = units[i] < 0x80 ? static_cast<char>(units[i]) : '\x80';
            const auto answers = Key(VirtualKeyOf(c), UnitsOf(character));
            EXPECT_EQ(answers.first, 1) << "press of character " << i << " of " << text;
            EXPECT_EQ(answers.second, 1) << "release of character " << i << " of " << text;
            i += character.size() - 1;
        }
    }

    // Moves the focus as the caret tracker reports it.
    void FocusTo(WindowHandle window)
    {
        engine->SaveWindowText(focus.focus);
        engine->RestoreWindowText(window);
        focus.focus = window;
        Pump();
    }

    void ApplySettings(const EngineSettings& settings) { engine->ApplySettings(settings); }

    int markersDelivered = 0;
    FakeView view;
    FakeFocus focus;
    FakeDesktop desktop;
    FakeFiles files;
    FakeDictionaries dictionaries;
    FakeAutoLearn autoLearn;
    FakeOutput output;
    FixedClock clock;
    TestCodePage codePage;
    EngineServices services;
    std::unique_ptr<CCompletionEngine> engine;
};

class EngineFixture : public ::testing::Test, public EngineRig {
protected:
    explicit EngineFixture(bool doubleByte = false) : EngineRig(doubleByte) {}
};

}  // namespace enginetest
