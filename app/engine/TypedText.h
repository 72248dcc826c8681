// The text typed in the focused control before the caret, as far as the engine can follow it:
// what typing keeps, the word ends waiting for their search, and the words that come before the
// word being searched (the context the ranking asks about).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CCodePage;

class CTypedText {
public:
    // Typed text kept per control, in bytes.
    static constexpr std::size_t kMaxLength = 1024;

    // The word a text ends with when its last byte ends a word, and the two before it in the same
    // sentence (empty where there are none).
    struct EndedWord {
        std::string word;
        std::string previous;
        std::string before;
    };

    explicit CTypedText(const CCodePage& codePage) : m_codePage(codePage) {}

    const std::string& Text() const { return m_text; }
    bool Empty() const { return m_text.empty(); }
    void Clear() { m_text.clear(); }
    void Assign(const std::string& text) { m_text = text; }

    // What typing adds: printable ASCII, CR, LF, and the code page's letters and digits beyond
    // it (a double-byte character whole).
    bool IsKept(const std::string& text) const;
    // Adds a typed character; beyond kMaxLength the oldest whole characters go.
    void Append(const std::string& text);
    void RemoveLastCharacter();
    // What a completion typed: added as it is, or in place of the last replacedBytes.
    void AppendOutput(const std::string& text) { m_text += text; }
    void ReplaceEnd(std::size_t replacedBytes, const std::string& with);
    // A completed path name: what follows the last backslash is the name.
    void ReplaceAfterLastBackslash(const std::string& name);

    // Keeps the text as it is now for the search that learns the word it ends, unless it is kept
    // already; the texts are taken, in order, by the next search.
    void QueueWordEnd();
    std::vector<std::string> TakeWordEnds();

    // The words before the word being typed at the end of text become the context.
    void FollowWordsBefore(const std::string& text);
    const std::string& PreviousWord() const { return m_previousWord; }
    const std::string& WordBeforePrevious() const { return m_previousWord2; }

    // The last n + 1 words of text, cut at the separators, leading white space removed.
    static std::string ExtractTail(const std::string& text, int n);
    static bool IsTailSeparator(unsigned char byte);
    // The word before the last one of a text ending at end, in the same sentence (empty when a
    // mark other than blanks stands between them).
    static std::string WordBefore(const std::string& text, std::size_t end);
    // The word a text ends with behind its last byte (a blank or a mark); no word when that byte
    // belongs to a word.
    static EndedWord WordEndedBy(const std::string& text);
    static bool IsWordByte(unsigned char byte);

private:
    const CCodePage& m_codePage;
    std::string m_text;
    std::vector<std::string> m_wordEnds;
    std::string m_previousWord;
    std::string m_previousWord2;  // the word before m_previousWord
};
