// The engine as the program builds it, minus the platform: the completion engine wired to the
// loaded dictionaries and the AutoLearn store, and the settings that reach all three. The
// program's engine host and the headless pvengine tool both build their engine through it, with
// their own view, focus, desktop, files, output and clock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/engine/CompletionEngine.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/DictionarySet.h"

class IDictionaryEnableStore;

// The merged dictionary search as the engine and AutoLearn's known-word check see it.
class CDictionarySearchAdapter : public IDictionarySearch, public IKnownWords {
public:
    explicit CDictionarySearchAdapter(CDictionarySet& set) : m_set(set) {}
    bool FindFirst(const std::string& query, int matchMode, bool includeShorthand, DictionaryMatch& match) override;
    bool FindNext(DictionaryMatch& match) override;
    bool FindFirstRanked(const std::string& query, int matchMode, bool includeShorthand, DictionaryMatch& match,
                         int& rank) override;
    bool FindNextRanked(DictionaryMatch& match, int& rank) override;
    int RankOf(const std::string& word) override;
    std::vector<int> Languages() override { return m_set.Languages(); }
    std::vector<LanguageRank> LanguagesHolding(const std::string& word) override;
    void SetLanguageOffsets(const std::vector<LanguageRank>& offsets) override { m_set.SetLanguageOffsets(offsets); }
    // IKnownWords: a dictionary holds the text exactly as typed.
    bool HoldsExactly(const std::string& text) override;

private:
    CDictionarySet& m_set;
    bool m_searchInterrupted = false;
};

class CAutoLearnAdapter : public IAutoLearnStore {
public:
    // The store may be replaced (the AutoLearn page hands over an edited one): held by its owner.
    explicit CAutoLearnAdapter(std::unique_ptr<CAutoLearnDictionary>& store) : m_store(store) {}
    // Called when the store refused to write a learnt word.
    void SetWriteFailedHandler(std::function<void()> handler) { m_onWriteFailed = std::move(handler); }
    // Called with each word the store counted.
    void SetLearntHandler(std::function<void(const std::string&)> handler) { m_onLearnt = std::move(handler); }
    bool EndsWithSeparator(const std::string& text) override;
    void Learn(const std::string& typedText) override;
    std::string FirstSuggestion(const std::string& prefix) override;
    std::string NextSuggestion(const std::string& prefix) override;

private:
    std::unique_ptr<CAutoLearnDictionary>& m_store;
    std::function<void()> m_onWriteFailed;
    std::function<void(const std::string&)> m_onLearnt;
};

class CEngineCore {
public:
    // enableStore: the dictionaries' enable flags (null: every file is enabled).
    CEngineCore(const PlatformServices& platform, IDictionaryEnableStore* enableStore);
    CEngineCore(const CEngineCore&) = delete;
    CEngineCore& operator=(const CEngineCore&) = delete;

    // Loads the enabled dictionaries matching the pattern (e.g. the Libs folder + "*.lib") with
    // the settings' length limits; false when none could be opened.
    bool LoadDictionaries(const std::string& pattern);
    // Opens (or creates) the AutoLearn store, which then skips the words the dictionaries hold.
    void OpenAutoLearn(const std::string& path);
    // Reads what the first searches need (ranks, first pages) before the first key.
    void BringPagesIn();
    // Start-up: the dictionaries, their first pages, then AutoLearn.
    bool Load(const std::string& dictionaryPattern, const std::string& autoLearnPath);
    void ApplySettings(const SettingsRecord& settings);
    // Takes over a store built (and opened) beside the AutoLearn file: moves its file over the
    // AutoLearn file and learns into it from now on. False, with the old store kept, when the
    // file cannot be moved.
    bool AdoptAutoLearn(std::unique_ptr<CAutoLearnDictionary> store);
    // The store of what typing taught lies beside the AutoLearn file ("AutoLearn.use"). Saving
    // writes it when it changed; Close saves it too. Forgetting empties it and its file.
    static std::string UsagePath(const std::string& autoLearnPath);
    bool SaveUsage();
    // Called on the engine's thread when learning a word could not be written.
    void SetAutoLearnWriteFailedHandler(std::function<void()> handler)
    {
        m_autoLearnStore.SetWriteFailedHandler(std::move(handler));
    }
    // Called on the engine's thread with each word the AutoLearn store counted.
    void SetLearntHandler(std::function<void(const std::string&)> handler)
    {
        m_autoLearnStore.SetLearntHandler(std::move(handler));
    }
    bool ForgetUsage();
    void Close();

    CCompletionEngine& Engine() { return m_engine; }
    const CCompletionEngine& Engine() const { return m_engine; }
    CDictionarySet& Dictionaries() { return m_dictionaries; }
    // What the dictionaries say of a word (see CDictionarySet::RankOf), as the engine asks it.
    int RankOf(std::string_view word) { return m_dictionarySearch.RankOf(std::string(word)); }
    CAutoLearnDictionary& AutoLearn() { return *m_autoLearn; }
    const SettingsRecord& Settings() const { return m_settings; }

private:
    static EngineServices Wire(const PlatformServices& platform, IDictionarySearch* dictionaries,
                               IAutoLearnStore* autoLearn);
    void ApplyStoreSettings();
    // Each dictionary's language: the bundled ones by name, others by their words.
    void AssignLanguages();
    int LanguageByWords(int index);

    CDictionarySet m_dictionaries;
    std::unique_ptr<CAutoLearnDictionary> m_autoLearn = std::make_unique<CAutoLearnDictionary>();
    std::string m_autoLearnPath;
    CDictionarySearchAdapter m_dictionarySearch;
    CAutoLearnAdapter m_autoLearnStore;
    SettingsRecord m_settings;
    CCompletionEngine m_engine;
};
