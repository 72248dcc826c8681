// The engine's services on Windows: window queries, the file system, the dictionaries, the
// AutoLearn store and keystroke output.
#pragma once

#include <windows.h>

#include <functional>

#include "app/engine/EngineServices.h"
#include "dict/AutoLearnDictionary.h"

class CDictionarySet;

inline HWND ToHwnd(WindowHandle handle)
{
    return reinterpret_cast<HWND>(handle);
}
inline WindowHandle ToHandle(HWND window)
{
    return reinterpret_cast<WindowHandle>(window);
}

class CWin32Desktop : public IDesktop {
public:
    // appEnabled: the per-application rule test.
    explicit CWin32Desktop(std::function<bool(HWND)> appEnabled) : m_appEnabled(std::move(appEnabled)) {}
    WindowHandle ForegroundWindow() override;
    WindowHandle TopLevelAncestor(WindowHandle window) override;
    bool WindowExists(WindowHandle window) override;
    bool EngineWorksIn(WindowHandle window) override;

private:
    std::function<bool(HWND)> m_appEnabled;
};

class CWin32FileSystem : public IFileSystem {
public:
    bool ListDirectory(const std::string& pattern, const std::function<bool(const DirectoryEntry&)>& visit) override;
};

class CDictionarySearchAdapter : public IDictionarySearch, public IKnownWords {
public:
    explicit CDictionarySearchAdapter(CDictionarySet& set) : m_set(set) {}
    bool FindFirst(const std::string& query, int matchMode, bool includeShorthand, DictionaryMatch& match) override;
    bool FindNext(DictionaryMatch& match) override;
    // IKnownWords: a dictionary holds the text exactly as typed.
    bool HoldsExactly(const std::string& text) override;

private:
    CDictionarySet& m_set;
    bool m_searchInterrupted = false;
};

class CAutoLearnAdapter : public IAutoLearnStore {
public:
    explicit CAutoLearnAdapter(CAutoLearnDictionary& store) : m_store(store) {}
    bool EndsWithSeparator(const std::string& text) override;
    void Learn(const std::string& typedText) override;
    std::string FirstSuggestion(const std::string& prefix) override;
    std::string NextSuggestion(const std::string& prefix) override;

private:
    CAutoLearnDictionary& m_store;
};

class CWin32KeyOutput : public IKeyOutput {
public:
    void BringToFront(WindowHandle target) override;
    void Type(WindowHandle target, int backspaces, const CMacroScript& script) override;
    void ReplayText(const std::string& text) override;
    void ReplayKey(unsigned vk, bool release) override;
    void SendOwnInputMarker() override;
    void Beep() override;
};
