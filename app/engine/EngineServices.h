// What the completion engine needs from the rest of the program. On the engine thread the program
// implements these with the prompt's state for the window thread (CPromptStateBuilder), the caret
// tracker, the desktop, folder listings and keystroke output (app/ProgramServices.h); the
// dictionaries and AutoLearn come through CEngineCore, which pvengine shares. The tests use fakes,
// so the engine runs without a desktop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/engine/EngineTypes.h"
#include "app/engine/KeyReport.h"

class CCodePage;
class CClock;
class CMacroScript;

// What the prompt shows: its list, preview and place.
class IPromptView {
public:
    virtual ~IPromptView() = default;
    virtual WindowHandle Handle() const = 0;
    virtual bool IsPromptVisible() const = 0;
    // Shows the prompt under the caret (unless an input method is active or no caret point is
    // known) or hides it.
    virtual void ShowPrompt(bool show) = 0;
    // Replaces the list rows, selects row 0, scrolls it into view and lays the window out (path
    // pages: no row labels, a vertical scroll bar). Returns the number of rows inserted.
    virtual int ShowRows(const std::vector<PromptRow>& rows, bool pathPage) = 0;
    // Selects a row and scrolls it into view.
    virtual void SelectRow(int row) = 0;
    virtual void ClearRows() = 0;
    // Preview of the selected row, placed beside it; an empty text hides the preview.
    virtual void ShowPreview(const std::string& text, int style) = 0;
};

// The engine's pacing: the answer to the key being reported, and the messages and timers that
// bring the engine back to its own work after the key.
class IEngineScheduler {
public:
    virtual ~IEngineScheduler() = default;
    // The key being handled will be answered so: the hook's thread may go on with it now, while
    // the engine finishes its own work on the key.
    virtual void AnswerKey(KeyAnswer answer) = 0;
    // Post WM_PROMPT_SEARCH / WM_PROMPT_COMPLETE to the engine's own window.
    virtual void PostSearch() = 0;
    virtual void PostComplete() = 0;
    // Starts the 100 ms timer after a completion; on its tick the window calls
    // CCompletionEngine::OnAcceptInputTimer.
    virtual void StartAcceptInputTimer() = 0;
    // Starts a timer of a few hundred milliseconds; on its tick the window calls
    // CCompletionEngine::OnOwnInputTimer.
    virtual void StartOwnInputTimer() = 0;
};

// The caret tracker's view of the focused control.
class IFocusTracker {
public:
    virtual ~IFocusTracker() = default;
    // Before a key is judged: takes the system's focus window where no event told of it yet.
    virtual void SyncFocus() = 0;
    // Whether the focused control takes completions (edit-box rules, caret, Word).
    virtual bool IsTargetControl() = 0;
    // The control that last took the focus; 0 after the focus went to a menu.
    virtual WindowHandle FocusWindow() = 0;
    // A password box (ES_PASSWORD, or an accessible object in the protected state).
    virtual bool IsPasswordControl(WindowHandle window) = 0;
};

// Window queries and the per-application rules.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    virtual WindowHandle ForegroundWindow() = 0;
    // Follows the parents up to the top-level window.
    virtual WindowHandle TopLevelAncestor(WindowHandle window) = 0;
    virtual bool WindowExists(WindowHandle window) = 0;
    // False when the rules switch the engine off for the window's application.
    virtual bool EngineWorksIn(WindowHandle window) = 0;
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // Visits the entries that match a pattern such as "C:\\Prog\\*.*" ("." and ".." included
    // as the system reports them) until visit returns false. False when nothing matches or the
    // folder cannot be listed.
    virtual bool ListDirectory(const std::string& pattern, const std::function<bool(const DirectoryEntry&)>& visit) = 0;
};

// The merged search of the loaded dictionaries (CDictionarySet).
class IDictionarySearch {
public:
    virtual ~IDictionarySearch() = default;
    virtual bool FindFirst(const std::string& query, int matchMode, bool includeShorthand, DictionaryMatch& match) = 0;
    virtual bool FindNext(DictionaryMatch& match) = 0;
    // The same matches, the most likely first (CDictionarySet::FindFirstRanked); rank: the
    // match's rank, 0 for none. A search without ranks answers in key order.
    virtual bool FindFirstRanked(const std::string& query, int matchMode, bool includeShorthand, DictionaryMatch& match,
                                 int& rank)
    {
        rank = 0;
        return FindFirst(query, matchMode, includeShorthand, match);
    }
    virtual bool FindNextRanked(DictionaryMatch& match, int& rank)
    {
        rank = 0;
        return FindNext(match);
    }
    // A word dictionary's entry with exactly this key (letter case too): its rank (0 for none),
    // or -1 when no word dictionary holds it. Ends the search in progress.
    virtual int RankOf(const std::string& word)
    {
        (void)word;
        return -1;
    }
    // The known languages of the loaded word dictionaries (primary language ids).
    virtual std::vector<int> Languages() { return {}; }
    // Per known language, the best rank of the word's entries, letter case ignored (0: held
    // without a rank). Ends the search in progress.
    virtual std::vector<LanguageRank> LanguagesHolding(const std::string& word)
    {
        (void)word;
        return {};
    }
    // What each language's ranks are moved by in the ranked searches from now on.
    virtual void SetLanguageOffsets(const std::vector<LanguageRank>& offsets) { (void)offsets; }
};

// The AutoLearn store (CAutoLearnDictionary); closed or disabled it learns and offers nothing.
class IAutoLearnStore {
public:
    virtual ~IAutoLearnStore() = default;
    virtual bool EndsWithSeparator(const std::string& text) = 0;
    virtual void Learn(const std::string& typedText) = 0;
    virtual std::string FirstSuggestion(const std::string& prefix) = 0;
    virtual std::string NextSuggestion(const std::string& prefix) = 0;
};

// Typing into the target application.
class IKeyOutput {
public:
    virtual ~IKeyOutput() = default;
    virtual void BringToFront(WindowHandle target) = 0;
    // Deletes `backspaces` characters before the caret, then plays a parsed script
    // (CMacroScript::PlayScript) into the focused window of target. The Backspaces go out in one
    // unit of input with the script's first piece, so that no key of the user falls between them.
    virtual void Type(WindowHandle target, int backspaces, const CMacroScript& script) = 0;
    // A key of the user's that was held back while a completion went out, typed again after it:
    // its text as it stands, or a key without text pressed or released.
    virtual void ReplayText(const std::string& text) = 0;
    virtual void ReplayKey(unsigned vk, bool release) = 0;
    // Sends a key of CEngineKeyGate::kOwnInputMarkerKeys behind the output, for the hook to report.
    virtual void SendOwnInputMarker(unsigned vk) = 0;
    virtual void Beep() = 0;
};

// What the platform supplies to the engine; none of the pointers may be null. Nothing is owned.
struct PlatformServices {
    IPromptView* view = nullptr;
    IEngineScheduler* scheduler = nullptr;
    IFocusTracker* focus = nullptr;
    IDesktop* desktop = nullptr;
    IFileSystem* files = nullptr;
    IKeyOutput* output = nullptr;
    const CClock* clock = nullptr;            // date and time macros
    const CCodePage* codePage = nullptr;      // the engine's text (UTF-8): characters, case folding
    const CCodePage* ansiCodePage = nullptr;  // what ANSI dictionary files are read in
};

// Everything the engine uses: the platform's part and the stores (CEngineCore wires them).
struct EngineServices : PlatformServices {
    IDictionarySearch* dictionaries = nullptr;
    IAutoLearnStore* autoLearn = nullptr;
};
