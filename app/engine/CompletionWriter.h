// Types a completion into the target: the pending text and how it goes (in place of the key, an
// expansion, a folder or file name), its Backspaces and macro script, the blank a completed word
// may get behind it, and what the typed text becomes. It knows whether a completion is queued or
// being typed: keys wait behind both.
#pragma once

#include <cstddef>
#include <string>

#include "app/engine/EngineServices.h"
#include "app/engine/EngineTypes.h"

class CClock;
class CCodePage;
class CTypedText;

class CCompletionWriter {
public:
    static constexpr std::size_t kMaxPendingText = 65536;

    struct Preview {
        std::string text;
        int style = PREVIEW_NORMAL;
    };

    CCompletionWriter(IKeyOutput& output, const CClock& clock, const CCodePage& codePage)
        : m_output(output), m_clock(clock), m_codePage(codePage)
    {
    }

    // Types a text other than a candidate's; one beyond kMaxPendingText is cut at a whole character.
    void SetPendingText(const std::string& text, CompletionMode mode);
    // The candidate's text by its kind; what the preview shows of it.
    Preview PendCandidate(const DictionaryMatch& candidate);
    void ClearPending();
    const std::string& PendingText() const { return m_pendingText; }
    CompletionMode PendingMode() const { return m_pendingMode; }

    void MarkQueued() { m_queued = true; }
    // The queued completion is run now (or given up on); whether one was queued.
    bool TakeQueued();
    bool IsQueued() const { return m_queued; }
    bool IsTyping() const { return m_typing; }

    // Types the pending text into target in place of key (the typed text it replaces), and
    // follows it in the typed text. blankAfterWord: a word put in place of the key gets a blank.
    void Type(WindowHandle target, const std::string& key, bool blankAfterWord, CTypedText& typed);
    // The last completion typed a blank behind its word: the next key may go before it.
    bool BlankTyped() const { return m_blankTyped; }
    void ForgetBlank() { m_blankTyped = false; }
    // The next completion (a mark) takes the place of that blank and adds none.
    void TakeBackBlank() { m_takingBackBlank = true; }

private:
    // The script and Backspaces of the pending text by mode, and the typed text after it; returns
    // the number of Backspaces.
    int Prepare(const std::string& key, bool blankAfterWord, CTypedText& typed, CMacroScript& script);

    IKeyOutput& m_output;
    const CClock& m_clock;
    const CCodePage& m_codePage;
    std::string m_pendingText;
    CompletionMode m_pendingMode = MODE_REPLACE;
    bool m_queued = false;  // WM_PROMPT_COMPLETE posted and not yet run
    bool m_typing = false;  // typing may let messages in: what they bring waits for the end
    bool m_blankTyped = false;
    bool m_takingBackBlank = false;
};
