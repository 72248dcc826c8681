#include "app/engine/CompletionWriter.h"

#include "app/engine/TypedText.h"
#include "dict/CodePage.h"
#include "textout/MacroScript.h"

void CCompletionWriter::SetPendingText(const std::string& text, CompletionMode mode)
{
    m_pendingMode = mode;
    if (text.size() <= kMaxPendingText) {
        m_pendingText = text;
        return;
    }
    m_pendingText = text.substr(0, m_codePage.WholeCharacterPrefix(text, kMaxPendingText));
}

CCompletionWriter::Preview CCompletionWriter::PendCandidate(const DictionaryMatch& candidate)
{
    Preview preview;
    switch (candidate.type) {
        case KIND_SHORTHAND: {
            const std::string& text = candidate.data.empty() ? candidate.key : candidate.data;
            SetPendingText(text, MODE_EXPAND);
            if (text != candidate.key)
                preview = Preview{text, PREVIEW_SHORTHAND};
            break;
        }
        case KIND_FOLDER:
            SetPendingText(candidate.key, MODE_FOLDER);
            break;
        case KIND_FILE:
            SetPendingText(candidate.key, MODE_FILE);
            break;
        default:  // words, phrases, learnt items
            SetPendingText(candidate.key, MODE_REPLACE);
            break;
    }
    if (candidate.type != KIND_SHORTHAND && candidate.data != candidate.key)
        preview.text = candidate.data;
    return preview;
}

void CCompletionWriter::ClearPending()
{
    m_pendingText.clear();
    m_pendingMode = MODE_APPEND;
}

bool CCompletionWriter::TakeQueued()
{
    const bool queued = m_queued;
    m_queued = false;
    return queued;
}

void CCompletionWriter::Type(WindowHandle target, const std::string& key, bool blankAfterWord, CTypedText& typed)
{
    CMacroScript script;
    const int backspaces = Prepare(key, blankAfterWord, typed, script);
    m_typing = true;
    m_output.Type(target, backspaces, script);
    m_typing = false;
}

int CCompletionWriter::Prepare(const std::string& key, bool blankAfterWord, CTypedText& typed, CMacroScript& script)
{
    const std::size_t keyLength = key.size();
    int backspaces = 0;
    switch (m_pendingMode) {
        case MODE_APPEND: {
            const std::string rest = keyLength < m_pendingText.size() ? m_pendingText.substr(keyLength) : std::string();
            script.ParseMacros(rest, m_clock);
            typed.AppendOutput(rest);
            break;
        }
        case MODE_REPLACE:
        case MODE_EXPAND: {
            // One Backspace deletes one character, also a double-byte one.
            backspaces = static_cast<int>(m_codePage.CountCharacters(key));
            // A completed word may be followed by its blank (taken back before a mark).
            const bool blank = m_pendingMode == MODE_REPLACE && blankAfterWord && !m_takingBackBlank;
            script.ParseMacros(blank ? m_pendingText + " " : m_pendingText, m_clock);
            if (m_pendingMode == MODE_REPLACE)
                typed.ReplaceEnd(keyLength, m_pendingText + (blank ? " " : ""));
            else
                typed.Clear();
            m_blankTyped = blank;
            m_takingBackBlank = false;
            break;
        }
        case MODE_FOLDER:
        case MODE_FILE: {
            const std::size_t slash = key.rfind('\\');
            if (slash != std::string::npos && slash > 0)
                backspaces = static_cast<int>(m_codePage.CountCharacters(key.substr(slash + 1)));
            const std::string name = m_pendingMode == MODE_FOLDER ? m_pendingText + "\\" : m_pendingText;
            script.ParseMacros(name, m_clock);
            typed.ReplaceAfterLastBackslash(name);
            if (m_pendingMode == MODE_FILE)
                typed.Clear();
            break;
        }
    }
    return backspaces;
}
