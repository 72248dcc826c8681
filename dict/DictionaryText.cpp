// Dictionary entries to and from text files: tagged key and data lines, and plain word lists.

#include "dict/DictionaryText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "base/FileIo.h"
#include "base/WaitProgress.h"
#include "dict/DictionaryFile.h"
#include "dict/TextImport.h"

namespace {

const char kKeyTag[] = "<key>";
const char kDataTag[] = "<data>";
const char kShortKeyTag[] = "<shortkey>";
const char kReplacementTag[] = "<replacement text>";
const char kLineEnd[] = "\r\n";

// The most an import keeps of one line, key or data: whatever a file holds, memory stays bounded.
constexpr std::size_t kMaxTextBytes = std::size_t{1} << 20;
// The word buffer: 1023 bytes and the terminating zero. Longer runs are cut there.
constexpr std::size_t kMaxWordBytes = 1023;
constexpr std::size_t kReadChunk = 10240;
constexpr std::size_t kWriteChunk = 64 * 1024;

// The entries of an import, added together: one at a time, every key that sorts before those
// already there would move all the rows behind it. Added in rounds, so memory stays bounded.
class CImportBatch {
public:
    // Room for what a file of this size holds is taken at once (what is never used stays untouched).
    CImportBatch(CDictionaryFile& dictionary, std::uint64_t fileBytes)
        : m_dictionary(dictionary),
          m_roomRows(static_cast<std::size_t>(std::min<std::uint64_t>(kRoundRows, fileBytes / 8 + 64))),
          m_roomBytes(static_cast<std::size_t>(std::min(kRoundBytes, fileBytes)))
    {
    }
    ~CImportBatch() { Flush(); }
    CImportBatch(const CImportBatch&) = delete;
    CImportBatch& operator=(const CImportBatch&) = delete;

    // False (nothing added) when the stored key would be empty.
    bool Add(std::string_view key, std::string_view data)
    {
        m_dictionary.EncodeKey(key, m_key);
        if (m_key.empty())
            return false;
        m_dictionary.EncodeData(data, m_data);
        if (m_entries.Empty())
            m_entries.Reserve(m_roomRows, m_roomBytes);
        m_entries.Add(m_key, m_data);
        if (m_entries.Size() >= kRoundRows || m_entries.Bytes() >= kRoundBytes)
            Flush();
        return true;
    }
    void Flush()
    {
        const int size = m_entries.Size();
        if (size > 0 && !m_dictionary.AddStoredEntries(std::move(m_entries)))
            m_lost += size;
        m_entries.Clear();
    }
    // Entries that Add took but that could not be stored.
    int Lost() const { return m_lost; }

private:
    static constexpr int kRoundRows = 1 << 20;
    static constexpr std::uint64_t kRoundBytes = std::uint64_t{1} << 27;
    CDictionaryFile& m_dictionary;
    const std::size_t m_roomRows;
    const std::size_t m_roomBytes;
    CStoredEntries m_entries;
    std::string m_key;
    std::string m_data;
    int m_lost = 0;
};

// Lines without their ends ("\r\n" or "\n"). Like the text the dictionary keeps, a line ends at
// its first zero byte; it is also cut at kMaxTextBytes. What is cut off is skipped, not read.
class CLineReader {
public:
    explicit CLineReader(CTextImportReader& source) : m_source(source) {}

    // False at the end of the file.
    bool Next(std::string& line)
    {
        line.clear();
        bool cut = false;
        bool any = false;
        while (m_pos < m_size || Fill()) {
            any = true;
            const char* start = m_buffer + m_pos;
            const std::size_t available = m_size - m_pos;
            const void* newline = std::memchr(start, '\n', available);
            const std::size_t length =
                newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) : available;
            if (!cut)
                cut = AppendUntilCut(line, std::string_view(start, length));
            m_pos += length + (newline ? 1 : 0);
            if (newline)
                break;
        }
        if (!cut && !line.empty() && line.back() == '\r')
            line.pop_back();
        return any;
    }

private:
    bool Fill()
    {
        m_pos = 0;
        m_size = m_source.Read(m_buffer, sizeof m_buffer);
        return m_size > 0;
    }

    // Whether the line was cut in this piece (after a whole UTF-8 character).
    static bool AppendUntilCut(std::string& line, std::string_view piece)
    {
        const std::size_t zero = piece.find('\0');
        const std::size_t room = kMaxTextBytes - line.size();
        const std::size_t take = zero < piece.size() ? zero : piece.size();
        std::size_t kept = take < room ? take : room;
        while (take > room && kept > 0 && (static_cast<unsigned char>(piece[kept]) & 0xC0) == 0x80)
            --kept;
        line.append(piece.data(), kept);
        return zero != std::string_view::npos || take > room;
    }

    CTextImportReader& m_source;
    char m_buffer[kReadChunk];
    std::size_t m_size = 0;
    std::size_t m_pos = 0;
};

enum class LineKind { Key, Data, Plain };

// The first tag found, in this order, decides what the line holds; `rest` is the text after it.
LineKind ClassifyLine(std::string_view line, std::string_view& rest)
{
    static const struct {
        std::string_view tag;
        LineKind kind;
    } kTags[] = {
        {kKeyTag, LineKind::Key},
        {kDataTag, LineKind::Data},
        {kShortKeyTag, LineKind::Key},
        {kReplacementTag, LineKind::Data},
    };
    for (const auto& entry : kTags) {
        const std::size_t at = line.find(entry.tag);
        if (at != std::string_view::npos) {
            rest = line.substr(at + entry.tag.size());
            return entry.kind;
        }
    }
    rest = line;
    return LineKind::Plain;
}

// Appends as much as fits below kMaxTextBytes, in whole characters.
void AppendBounded(const CCodePage& codePage, std::string& to, std::string_view text)
{
    const std::size_t room = to.size() < kMaxTextBytes ? kMaxTextBytes - to.size() : 0;
    to.append(text.data(), codePage.WholeCharacterPrefix(text, room));
}

void ShowCount(IWaitProgress& wait, const char* format, int count)
{
    char text[64];
    std::snprintf(text, sizeof text, format, count);
    wait.SetText(text);
}

// The start and the end both imports share: the report filled from the start, the file opened
// only into a dictionary that can take it, the rows committed at the end.
class CImportRun {
public:
    CImportRun(const CDictionaryFile& dictionary, TextImportReport* report)
        : m_found(report ? *report : m_unused), m_source(dictionary.AnsiCodePage())
    {
        m_found = TextImportReport();
    }

    bool Open(const CDictionaryFile& dictionary, const std::string& path)
    {
        return dictionary.IsOpen() && !dictionary.IsReadOnly() && m_source.Open(path, m_found);
    }
    CTextImportReader& Source() { return m_source; }
    TextImportReport& Found() { return m_found; }

    // The number of entries the dictionary took.
    int Finish(CDictionaryFile& dictionary, CImportBatch& batch, int added)
    {
        batch.Flush();
        dictionary.Commit();
        m_found.unconvertible = m_source.Unconvertible();
        return added - batch.Lost();
    }

private:
    TextImportReport m_unused;
    TextImportReport& m_found;
    CTextImportReader m_source;
};

// Buffered sequential writes to a file handle.
class CChunkWriter {
public:
    explicit CChunkWriter(pvbase::FileHandle& file) : m_file(file) {}

    bool Append(std::string_view text)
    {
        m_buffer.append(text.data(), text.size());
        return m_buffer.size() < kWriteChunk || Flush();
    }
    // A tag, the text right after it, and the line end.
    bool AppendLine(std::string_view tag, std::string_view text)
    {
        return Append(tag) && Append(text) && Append(kLineEnd);
    }
    bool Flush()
    {
        if (!m_buffer.empty() && !m_file.Write(m_written, m_buffer.data(), static_cast<int>(m_buffer.size())))
            return false;
        m_written += static_cast<std::int64_t>(m_buffer.size());
        m_buffer.clear();
        return true;
    }

private:
    pvbase::FileHandle& m_file;
    std::string m_buffer;
    std::int64_t m_written = 0;
};

}  // namespace

int ExportDictionaryText(CDictionaryFile& dictionary, const std::string& path, IWaitProgress* wait)
{
    const int type = dictionary.Type();
    if (!dictionary.IsOpen() || path.empty())
        return 0;
    if (type != DICTIONARY_WORDS && type != DICTIONARY_SHORTHAND)
        return 0;
    const std::string_view keyTag = type == DICTIONARY_WORDS ? kKeyTag : kShortKeyTag;
    const std::string_view dataTag = type == DICTIONARY_WORDS ? kDataTag : kReplacementTag;
    // Written beside the target and moved over it only when complete.
    const std::string temporary = path + ".part";
    std::unique_ptr<pvbase::FileHandle> file = pvbase::FileHandle::Open(temporary, pvbase::OpenMode::CreateTruncate);
    if (!file)
        return 0;
    CChunkWriter writer(*file);
    // UTF-8 with its mark, which tells the imports (ours, editors') the encoding at once.
    bool ok = writer.Append("\xEF\xBB\xBF");
    // Rows rather than a search: uncommitted entries, and keys outside the length limits, go too.
    std::string key, data;
    int count = 0;
    for (int row = 0; ok && row < dictionary.CountEntries(); ++row) {
        // Text lines alone: no zero after UTF-8 or UTF-16 data as exports of before wrote (the
        // imports still take it).
        ok = dictionary.ReadEntry(row, key, data);
        ok = ok && writer.AppendLine(keyTag, key) && writer.AppendLine(dataTag, data);
        ++count;
        if (wait && count % 10 == 0) {
            ShowCount(*wait, "%d items have been exported!", count);
            wait->Pump();
        }
        if (wait && wait->Cancelled())
            ok = false;
    }
    ok = ok && writer.Flush() && file->Flush();
    file.reset();
    if (ok && pvbase::ReplaceFileAtomically(temporary, path))
        return count;
    pvbase::RemoveFileIfExists(temporary);
    return 0;
}

int ImportDictionaryText(CDictionaryFile& dictionary, const std::string& path, IWaitProgress* wait,
                         TextImportReport* report)
{
    const CCodePage& codePage = dictionary.CodePage();
    CImportRun run(dictionary, report);
    if (!run.Open(dictionary, path))
        return 0;
    CTextImportReader& source = run.Source();
    CLineReader reader(source);
    CImportBatch batch(dictionary, source.FileBytes());
    std::string line, key, data;
    int count = 0;
    int shown = -1;
    auto addPending = [&] {
        if (!key.empty() && batch.Add(key, data))
            ++count;
        key.clear();
        data.clear();
    };
    while (!(wait && wait->Cancelled())) {
        if (wait) {
            if (count % 10 == 0 && count != shown) {
                ShowCount(*wait, "%d items have been imported!", count);
                shown = count;
            }
            wait->Pump();
            if (wait->Cancelled())
                break;
        }
        if (!reader.Next(line))
            break;
        std::string_view rest;
        const LineKind kind = ClassifyLine(line, rest);
        run.Found().tagged = run.Found().tagged || kind != LineKind::Plain;
        if (kind == LineKind::Key) {
            addPending();
            AppendBounded(codePage, key, rest);
        } else if (kind == LineKind::Data) {
            AppendBounded(codePage, data, rest);
        } else {
            AppendBounded(codePage, data, kLineEnd);
            AppendBounded(codePage, data, rest);
            if (key.empty())
                break;  // not a tagged file
        }
    }
    addPending();
    return run.Finish(dictionary, batch, count);
}

int ImportDictionaryWords(CDictionaryFile& dictionary, const std::string& path, IWaitProgress* wait,
                          TextImportReport* report)
{
    const CCodePage& codePage = dictionary.CodePage();
    CImportRun run(dictionary, report);
    if (!run.Open(dictionary, path))
        return 0;
    CTextImportReader& source = run.Source();
    CImportBatch batch(dictionary, source.FileBytes());
    std::string word;
    int count = 0;
    auto addWord = [&] {
        if (word.empty())
            return;
        word.resize(codePage.WholeCharacterPrefix(word, kMaxWordBytes));
        if (batch.Add(word, std::string_view()))
            ++count;
        word.clear();
    };
    auto chunk = std::make_unique<char[]>(kReadChunk);
    bool cancelled = false;
    std::size_t got;
    // The reader hands out whole characters: each piece is walked character by character.
    while (!cancelled && (got = source.Read(chunk.get(), kReadChunk)) > 0) {
        if (wait)
            wait->Pump();
        const std::string_view text(chunk.get(), got);
        for (std::size_t i = 0; i < got && !cancelled;) {
            const std::size_t length = codePage.CharLength(text, i);
            if (text[i] == '_' || text[i] == '-' || codePage.IsLetterOrDigitAt(text, i)) {
                // Past the buffer by one character at most, so that the cut can keep whole characters.
                if (word.size() <= kMaxWordBytes)
                    word.append(text.data() + i, length);
            } else {
                addWord();
            }
            i += length;
            cancelled = wait && wait->Cancelled();
        }
    }
    if (!cancelled)
        addWord();
    return run.Finish(dictionary, batch, count);
}
