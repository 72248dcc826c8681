#include "app/engine/CompletionEngine.h"

#include <algorithm>
#include <cstring>

#include "dict/CodePage.h"
#include "textout/MacroScript.h"

namespace {

// The characters that cut the typed text into words for the search.
const char kTailSeparators[] = " ,<>?:.;'\"[{]}=+!@#$%^&*()\r\n\t";

bool IsBlankByte(unsigned char byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

std::string TrimLeadingBlanks(const std::string& text, std::size_t from)
{
    while (from < text.size() && IsBlankByte(static_cast<unsigned char>(text[from])))
        ++from;
    return text.substr(from);
}

// Bytes that typing may add to the typed text: printable ASCII, carriage return, line feed.
bool IsTypedByte(unsigned char byte)
{
    return (byte >= 0x20 && byte <= 0x7F) || byte == '\r' || byte == '\n';
}

void TrimTrailingLineBreaks(std::string& text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
}

// Byte length of the character at pos (a lead byte at the very end counts alone).
std::size_t CharLength(const CCodePage& codePage, const std::string& text, std::size_t pos)
{
    return (codePage.IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
}

// Lower case of the single-byte characters; double-byte characters stay as they are.
std::string Lowered(const CCodePage& codePage, std::string text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharLength(codePage, text, i);
        if (length == 1)
            text[i] = static_cast<char>(codePage.LowerByte(static_cast<unsigned char>(text[i])));
        i += length;
    }
    return text;
}

// Whether needle occurs in haystack starting on a character boundary.
bool ContainsAtCharBoundary(const CCodePage& codePage, const std::string& haystack, const std::string& needle)
{
    for (std::size_t i = 0; i + needle.size() <= haystack.size(); i += CharLength(codePage, haystack, i))
        if (haystack.compare(i, needle.size(), needle) == 0)
            return true;
    return false;
}

// Case-insensitive order of two texts: single-byte characters folded, double-byte ones compared
// as they are.
bool LessNoCase(const CCodePage& codePage, const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size()) {
        const std::size_t lengthA = CharLength(codePage, a, i);
        const std::size_t lengthB = CharLength(codePage, b, i);
        for (std::size_t k = 0; k < std::max(lengthA, lengthB); ++k) {
            if (i + k >= a.size() || i + k >= b.size())
                return a.size() < b.size();
            unsigned char x = static_cast<unsigned char>(a[i + k]);
            unsigned char y = static_cast<unsigned char>(b[i + k]);
            if (lengthA == 1)
                x = codePage.LowerByte(x);
            if (lengthB == 1)
                y = codePage.LowerByte(y);
            if (x != y)
                return x < y;
        }
        i += std::max(lengthA, lengthB);
    }
    return a.size() - i < b.size() - i;
}

}  // namespace

CCompletionEngine::CCompletionEngine(const EngineServices& services)
    : view_(*services.view),
      focus_(*services.focus),
      desktop_(*services.desktop),
      files_(*services.files),
      dictionaries_(*services.dictionaries),
      autoLearn_(*services.autoLearn),
      output_(*services.output),
      clock_(*services.clock),
      codePage_(*services.codePage)
{
    ApplySettings(EngineSettings());
}

void CCompletionEngine::ApplySettings(const EngineSettings& settings)
{
    settings_ = settings;
    matchMode_ = MATCH_START | (settings.enableWord ? MATCH_WORDS : 0) |
                 (settings.enablePhrase ? MATCH_PHRASES : 0);
    // A page of no rows could never be shown or left.
    pageSize_ = static_cast<int>(std::min<std::uint32_t>(std::max<std::uint32_t>(settings.maxItemShow, 1), 1000));
}

// ---------------------------------------------------------------------------------------------
// Keys

bool CCompletionEngine::IsSelectionKey(unsigned vk) const
{
    return vk == settings_.vkSelectPrev || vk == settings_.vkSelectNext ||
           vk == settings_.vkSelectPageDown || vk == settings_.vkSelectPageUp ||
           IndexKeySlot(vk) >= 0 || IsCompleteKey(vk) || vk == kEscapeKey;
}

int CCompletionEngine::IndexKeySlot(unsigned vk) const
{
    for (int i = 0; i < 10; ++i)
        if (settings_.vkSelectIndex[i] == vk)
            return i;
    return -1;
}

bool CCompletionEngine::IsCompleteKey(unsigned vk) const
{
    for (std::uint8_t key : settings_.vkSelect)
        if (key == vk)
            return true;
    return false;
}

void CCompletionEngine::ForgetTypedText()
{
    typedText_.clear();
    if (view_.IsPromptVisible())
        view_.ShowPrompt(false);
}

void CCompletionEngine::AppendTyped(const std::string& text)
{
    if (typedText_.size() > kMaxTypedText)
        typedText_.erase(0, typedText_.size() - kMaxTypedText);
    typedText_ += text;
}

void CCompletionEngine::RemoveLastTypedCharacter()
{
    const std::size_t size = typedText_.size();
    if (size < 2) {
        typedText_.clear();
        return;
    }
    const bool lastIsLead = codePage_.IsLeadByte(static_cast<unsigned char>(typedText_[size - 1]));
    const bool previousIsLead = codePage_.IsLeadByte(static_cast<unsigned char>(typedText_[size - 2]));
    typedText_.resize(lastIsLead && previousIsLead ? size - 2 : size - 1);
}

int CCompletionEngine::OnHookKey(unsigned chars, unsigned keyInfo)
{
    // Keys in other controls, in applications the rules exclude, and in password boxes are
    // neither kept nor acted on.
    if (!focus_.IsTargetControl()) {
        view_.AnswerKey(1);
        ForgetTypedText();
        return 1;
    }
    const WindowHandle focusWindow = focus_.FocusWindow();
    if (!desktop_.EngineWorksIn(focusWindow) || focus_.IsPasswordControl(focusWindow)) {
        view_.AnswerKey(1);
        ForgetTypedText();
        return 1;
    }

    const unsigned vk = (keyInfo >> 8) & 0xFF;
    const bool released = (keyInfo & 0x0F) != 0;
    std::string text;
    const char first = static_cast<char>(chars & 0xFF);
    const char second = static_cast<char>((chars >> 8) & 0xFF);
    if (first != 0) {
        text += first;
        if (second != 0)
            text += second;
    }

    // A prompt key pressed at a shown prompt acts on it as brought up to date with everything
    // typed before: searches still queued behind a burst of keys run first, and its answer waits
    // for them. Other keys never wait, and no key is taken by a prompt that was not shown.
    if (queuedSearches_ > 0 && !released && IsSelectionKey(vk) && view_.IsPromptVisible())
        SearchTyped();

    const bool visible = view_.IsPromptVisible();
    // Only the prompt's own keys are swallowed, and only while it is shown. The target gets its
    // key before the prompt moves, the typed text changes or a search is queued.
    const bool promptKey = visible && IsSelectionKey(vk);
    view_.AnswerKey(promptKey ? 0 : 1);
    // A Backspace the prompt consumes (configured as a selection key) must not shorten the
    // text, and a release of one that reached the target passes like its press.
    if (vk == kBackspaceKey && !promptKey) {
        if (released)
            return 1;
        RemoveLastTypedCharacter();
        QueueSearch();
    }

    if (visible) {
        if (vk == settings_.vkSelectPrev) {
            if (!released)
                MoveSelection(kSelectPrevious);
            return 0;
        }
        if (vk == settings_.vkSelectNext) {
            if (!released)
                MoveSelection(kSelectNext);
            return 0;
        }
        if (vk == settings_.vkSelectPageDown) {
            if (!released)
                MoveSelection(kSelectNextPage);
            return 0;
        }
        if (vk == settings_.vkSelectPageUp) {
            if (!released)
                MoveSelection(kSelectPreviousPage);
            return 0;
        }
        const int slot = IndexKeySlot(vk);
        if (slot >= 0) {
            if (released && MoveSelection(slot) == 0)
                view_.PostComplete();
            return 0;
        }
        if (IsCompleteKey(vk)) {
            if (released && MoveSelection(kSelectCurrent) == 0)
                view_.PostComplete();
            return 0;
        }
        if (vk == kEscapeKey) {
            typedText_.clear();
            view_.ShowPrompt(false);
            return 0;
        }
    }

    if (!text.empty() && !released) {
        const bool typable = std::all_of(text.begin(), text.end(), [](char c) {
            return IsTypedByte(static_cast<unsigned char>(c));
        });
        if (typable) {
            AppendTyped(text);
            QueueSearch();
        }
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Search

bool CCompletionEngine::IsTailSeparator(unsigned char byte)
{
    return byte != 0 && std::strchr(kTailSeparators, byte) != nullptr;
}

std::string CCompletionEngine::ExtractTail(const std::string& text, int n)
{
    for (std::size_t i = text.size(); i-- > 0;) {
        if (!IsTailSeparator(static_cast<unsigned char>(text[i])))
            continue;
        if (n <= 0)
            return TrimLeadingBlanks(text, i + 1);
        --n;
    }
    return TrimLeadingBlanks(text, 0);
}

void CCompletionEngine::QueueSearch()
{
    // Learning happens in the search of the text that ends the word; a later key must not
    // take that text away before the search runs.
    if (autoLearn_.EndsWithSeparator(typedText_) &&
        (queuedWordEnds_.empty() || queuedWordEnds_.back() != typedText_))
        queuedWordEnds_.push_back(typedText_);
    ++queuedSearches_;
    view_.PostSearch();
}

int CCompletionEngine::SearchTyped()
{
    if (queuedSearches_ == 0)
        return view_.IsPromptVisible() ? 0 : 1;  // done with an earlier message of the burst
    queuedSearches_ = 0;
    std::vector<std::string> wordEnds;
    wordEnds.swap(queuedWordEnds_);
    for (const std::string& text : wordEnds) {
        if (text != typedText_)
            SearchText(text);
    }
    return SearchText(typedText_);
}

int CCompletionEngine::SearchText(const std::string& text)
{
    for (int n = 2; n >= 0; --n) {
        searchKey_ = ExtractTail(text, n);
        if (searchKey_.empty()) {
            view_.ShowPrompt(false);
            return 1;
        }
        if (FindPathCandidates(searchKey_)) {
            view_.ShowPrompt(true);
            return 0;
        }
        if (searchKey_.size() >= settings_.minInput && FindCandidates(searchKey_)) {
            view_.ShowPrompt(true);
            return 0;
        }
        if (n == 1 && autoLearn_.EndsWithSeparator(searchKey_)) {
            autoLearn_.Learn(text);
            searchKey_.clear();
            view_.ShowPrompt(false);
            return 1;
        }
    }
    searchKey_.clear();
    view_.ShowPrompt(false);
    return 1;
}

int CCompletionEngine::FindPathCandidates(const std::string& key)
{
    if (key.size() < 3 || key[1] != ':' || key[2] != '\\')
        return 0;
    const std::size_t slash = key.rfind('\\');
    const std::string folder = key.substr(0, slash + 1);
    const std::string name = Lowered(codePage_, key.substr(slash + 1));

    std::vector<DictionaryMatch> found;
    const bool listed = files_.ListDirectory(folder + "*.*", [&](const DirectoryEntry& entry) {
        if (found.size() >= kMaxPathCandidates)
            return false;
        if (entry.name.empty() || entry.name == "." || entry.name == "..")
            return true;
        if (!name.empty()) {
            if (!ContainsAtCharBoundary(codePage_, Lowered(codePage_, entry.name), name))
                return true;
        }
        DictionaryMatch match;
        match.key = entry.name;
        match.data = entry.name;
        // Any directory, whatever other attributes it carries (read-only, system, ...).
        match.type = (entry.attributes & kFileAttributeDirectory) ? KIND_FOLDER : KIND_FILE;
        found.push_back(std::move(match));
        return true;
    });
    if (!listed)
        return 0;

    ClearCandidates();
    if (found.empty())
        return 0;
    candidates_ = std::move(found);
    pageStart_ = 0;
    return ShowPage(0, 10);
}

int CCompletionEngine::FindCandidates(const std::string& key)
{
    ClearCandidates();
    pageStart_ = 0;
    learntHits_ = FindLearnt(key);

    DictionaryMatch match;
    dictionaryCursorLive_ =
        dictionaries_.FindFirst(key, matchMode_, settings_.enableShorthand, match);
    if (dictionaryCursorLive_)
        candidates_.push_back(std::move(match));
    else if (learntHits_ < 1)
        return 0;

    const int shown = NextPage(pageSize_);
    // What was typed is already complete.
    if (candidates_.size() == 1 && candidates_[0].key == key) {
        ClearCandidates();
        return 0;
    }
    return shown;
}

int CCompletionEngine::FindLearnt(const std::string& key)
{
    int added = 0;
    for (std::string text = autoLearn_.FirstSuggestion(key); !text.empty();
         text = autoLearn_.NextSuggestion(key)) {
        DictionaryMatch match;
        match.key = text;
        match.data = std::move(text);
        match.type = KIND_LEARNT;
        candidates_.push_back(std::move(match));
        if (static_cast<std::size_t>(++added) >= kMaxLearntCandidates)
            break;
    }
    return added;
}

void CCompletionEngine::AddOrJoin(DictionaryMatch&& match)
{
    for (DictionaryMatch& existing : candidates_) {
        if (existing.type != match.type || existing.key != match.key)
            continue;
        // The same key from another dictionary: one row showing the texts of both.
        if (!match.data.empty()) {
            if (existing.data.empty()) {
                existing.data = std::move(match.data);
            } else {
                TrimTrailingLineBreaks(existing.data);
                existing.data += "\r\n\r\n";
                existing.data += match.data;
            }
        }
        return;
    }
    candidates_.push_back(std::move(match));
}

int CCompletionEngine::NextPage(int count)
{
    const int shown = static_cast<int>(rows_.size());
    if (shown > 0 && shown < pageSize_)
        return 0;  // the short last page
    const std::size_t wanted = static_cast<std::size_t>(pageStart_) + shown + std::max(count, 0);
    while (candidates_.size() < wanted && dictionaryCursorLive_) {
        DictionaryMatch match;
        if (!dictionaries_.FindNext(match)) {
            dictionaryCursorLive_ = false;
            break;
        }
        AddOrJoin(std::move(match));
    }
    if (candidates_.size() > static_cast<std::size_t>(pageStart_) + shown) {
        pageStart_ += shown;
        return ShowPage(pageStart_, pageSize_);
    }
    return 0;
}

int CCompletionEngine::PreviousPage()
{
    if (pageStart_ < 1)
        return 0;
    pageStart_ = std::max(0, pageStart_ - pageSize_);
    return ShowPage(pageStart_, pageSize_);
}

void CCompletionEngine::SortPathCandidates()
{
    if (pathSorted_)
        return;
    // Folders first, then files, by name without regard to case; of equal names the one
    // listed later comes first.
    std::reverse(candidates_.begin(), candidates_.end());
    std::stable_sort(candidates_.begin(), candidates_.end(),
                     [this](const DictionaryMatch& a, const DictionaryMatch& b) {
                         const bool aFolder = a.type == KIND_FOLDER;
                         const bool bFolder = b.type == KIND_FOLDER;
                         if (aFolder != bFolder)
                             return aFolder;
                         return LessNoCase(codePage_, a.key, b.key);
                     });
    pathSorted_ = true;
}

int CCompletionEngine::ShowPage(int first, int count)
{
    const int total = static_cast<int>(candidates_.size());
    if (first < 0 || first >= total)
        return 0;
    const bool pathPage = IsPathKind(candidates_[first].type);
    if (pathPage) {
        SortPathCandidates();
        first = 0;
        count = total;
    }

    rows_.clear();
    selectedRow_ = -1;
    std::vector<PromptRow> rows;
    for (int i = first; i < first + count && i < total; ++i) {
        rows_.push_back(i);
        rows.push_back(PromptRow{candidates_[i].key, candidates_[i].type - 1});
    }
    const int inserted = view_.ShowRows(rows, pathPage);
    if (inserted < static_cast<int>(rows_.size()))
        rows_.resize(std::max(inserted, 0));
    if (rows_.empty()) {
        SetPending(-1);
        return 0;
    }
    selectedRow_ = 0;
    SetPending(rows_[0]);
    return 1;
}

void CCompletionEngine::SelectRowAt(int row)
{
    selectedRow_ = row;
    view_.SelectRow(row);
    SetPending(rows_[row]);
}

int CCompletionEngine::MoveSelection(int code)
{
    if (rows_.empty())
        return 1;
    if (selectedRow_ < 0) {
        SelectRowAt(0);
        return 1;
    }
    const int n = static_cast<int>(rows_.size());
    int cur = selectedRow_;
    int result = 0;
    if (code == kSelectPrevious) {
        --cur;
    } else if (code == kSelectNext) {
        ++cur;
    } else if (code >= 0 && code <= 9) {
        if (code >= n) {
            // No such row on this page: the selection and the page stay.
            output_.Beep();
            result = 1;
        } else {
            cur = code;
        }
    } else if (code != kSelectPreviousPage && code != kSelectNextPage && code != kSelectCurrent) {
        return 1;
    }

    if (cur >= n || code == kSelectNextPage) {
        cur = NextPage(pageSize_) ? 0 : static_cast<int>(rows_.size()) - 1;
    } else if (cur < 0 || code == kSelectPreviousPage) {
        cur = PreviousPage() ? static_cast<int>(rows_.size()) - 1 : 0;
    }
    if (cur < 0 || cur >= static_cast<int>(rows_.size()))
        return 1;
    SelectRowAt(cur);
    return result;
}

void CCompletionEngine::SetPending(int candidateIndex)
{
    if (candidateIndex < 0 || candidateIndex >= static_cast<int>(candidates_.size())) {
        pendingText_.clear();
        pendingMode_ = MODE_APPEND;
        view_.ShowPreview(std::string(), PREVIEW_NORMAL);
        return;
    }
    const DictionaryMatch& candidate = candidates_[candidateIndex];
    std::string preview;
    int style = PREVIEW_NORMAL;
    switch (candidate.type) {
    case KIND_SHORTHAND: {
        const std::string& text = candidate.data.empty() ? candidate.key : candidate.data;
        SetPendingText(text, MODE_EXPAND);
        if (text != candidate.key) {
            preview = text;
            style = PREVIEW_SHORTHAND;
        }
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
        preview = candidate.data;
    view_.ShowPreview(preview, style);
}

void CCompletionEngine::SetPendingText(const std::string& text, CompletionMode mode)
{
    pendingMode_ = mode;
    if (text.size() <= kMaxPendingText) {
        pendingText_ = text;
        return;
    }
    // Cut on a character boundary.
    std::size_t end = 0;
    while (end < kMaxPendingText) {
        const std::size_t length =
            codePage_.IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + length > kMaxPendingText)
            break;
        end += length;
    }
    pendingText_ = text.substr(0, end);
}

void CCompletionEngine::ClearCandidates()
{
    candidates_.clear();
    rows_.clear();
    selectedRow_ = -1;
    view_.ClearRows();
    learntHits_ = 0;
    dictionaryCursorLive_ = false;
    pathSorted_ = false;
    // What is pending belonged to a candidate that is gone.
    SetPending(-1);
}

void CCompletionEngine::OnRowSelected(int row)
{
    if (row < 0 || row >= static_cast<int>(rows_.size()) || row == selectedRow_)
        return;
    selectedRow_ = row;
    SetPending(rows_[row]);
}

void CCompletionEngine::OnRowDoubleClicked(int row)
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    SelectRowAt(row);
    view_.PostComplete();
}

// ---------------------------------------------------------------------------------------------
// Completion

int CCompletionEngine::CountCharacters(const std::string& text) const
{
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++count)
        i += CharLength(codePage_, text, i);
    return count;
}

int CCompletionEngine::CompleteSelection()
{
    const WindowHandle prompt = view_.Handle();
    const WindowHandle focusWindow = focus_.FocusWindow();
    WindowHandle target = desktop_.ForegroundWindow();
    if (target == prompt)
        target = focusWindow != 0 ? desktop_.TopLevelAncestor(focusWindow) : 0;
    if (searchKey_.empty() || target == 0 || pendingText_.empty() || focusWindow == prompt)
        return 0;
    if (focusWindow != 0 && focus_.IsPasswordControl(focusWindow))
        return 0;

    output_.BringToFront(target);
    const std::size_t keyLength = searchKey_.size();
    CMacroScript script;
    const CompletionMode mode = pendingMode_;
    switch (mode) {
    case MODE_APPEND: {
        const std::string rest = keyLength < pendingText_.size() ? pendingText_.substr(keyLength) : std::string();
        script.ParseMacros(rest, clock_);
        typedText_ += rest;
        break;
    }
    case MODE_REPLACE:
    case MODE_EXPAND:
        // One Backspace deletes one character, also a double-byte one.
        output_.SendBackspaces(CountCharacters(searchKey_));
        script.ParseMacros(pendingText_, clock_);
        if (mode == MODE_REPLACE)
            typedText_ = typedText_.substr(0, typedText_.size() - std::min(keyLength, typedText_.size())) + pendingText_;
        else
            typedText_.clear();
        break;
    case MODE_FOLDER:
    case MODE_FILE: {
        const std::size_t slash = searchKey_.rfind('\\');
        if (slash != std::string::npos && slash > 0)
            output_.SendBackspaces(CountCharacters(searchKey_.substr(slash + 1)));
        const std::string name = mode == MODE_FOLDER ? pendingText_ + "\\" : pendingText_;
        script.ParseMacros(name, clock_);
        const std::size_t typedSlash = typedText_.rfind('\\');
        if (typedSlash != std::string::npos)
            typedText_.resize(typedSlash + 1);
        typedText_ += name;
        if (mode == MODE_FILE)
            typedText_.clear();
        break;
    }
    }
    output_.PlayScript(target, script);

    if (mode == MODE_FOLDER)
        QueueSearch();  // go on with the folder's entries
    else
        view_.ShowPrompt(false);
    acceptInput_ = false;
    view_.StartAcceptInputTimer();
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Typed text per control

void CCompletionEngine::SaveWindowText(WindowHandle window)
{
    if (window == 0 || window == view_.Handle())
        return;
    if (focus_.IsPasswordControl(window)) {
        windowTexts_.Forget(window);
        return;
    }
    windowTexts_.Save(window, typedText_, [this](WindowHandle w) { return desktop_.WindowExists(w); });
}

void CCompletionEngine::RestoreWindowText(WindowHandle window)
{
    if (!acceptInput_)
        return;
    if (window == 0 || window == view_.Handle() || focus_.IsPasswordControl(window) ||
        !windowTexts_.Lookup(window, typedText_))
        typedText_.clear();
    QueueSearch();
}
