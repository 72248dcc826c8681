#include "dict/CodePageMirror.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dict/CodePage.h"
#include "dict/DictionaryFile.h"
#include "dict/EntryText.h"
#include "dict/Utf8Case.h"

namespace {

const char kInfoDescription[] = "DBINFO[prop:S,value:S]";
const char kDataDescription[] = "DBDATA[key:S,data:S]";
const char kRankedDataDescription[] = "DBDATA[key:S,data:S,rank:I]";
// A capitals mirror: keys in small letters (its order), each beside the key as the file holds it.
const char kCapitalsDataDescription[] = "DBDATA[key:S,data:S,rank:I,shown:S]";

// A storage in memory, read from the image its builder saved: frozen columns, read quickly.
class CImageStrategy : public c4_FileStrategy {
public:
    explicit CImageStrategy(std::vector<std::uint8_t> image) : m_image(std::move(image)) {}
    bool IsValid() const override { return true; }
    int DataRead(t4_i32 pos, void* buffer, int length) override
    {
        if (length < 1)
            return 0;
        if (pos < 0 || static_cast<std::size_t>(pos) > m_image.size())
            return -1;
        const std::size_t n =
            std::min(static_cast<std::size_t>(length), m_image.size() - static_cast<std::size_t>(pos));
        if (n > 0)
            std::memcpy(buffer, m_image.data() + pos, n);
        return static_cast<int>(n);
    }
    t4_i32 FileSize() override { return static_cast<t4_i32>(m_image.size()); }
    bool BeginRewrite() override { return false; }

private:
    std::vector<std::uint8_t> m_image;
};

struct MirrorEntry {
    std::uint32_t keyAt;
    std::uint32_t keyLength;
    std::uint32_t shownAt;
    std::uint32_t shownLength;
    std::uint32_t dataAt;
    std::uint32_t dataLength;
    std::uint16_t rank;
};

// The file's properties, its texts now plain UTF-8.
void CopyInfo(const IDictionaryRows& file, c4_View& info)
{
    const c4_StringProp prop("prop"), value("value");
    std::string_view name, text;
    for (int row = 0; file.ReadInfoRow(row, name, text); ++row) {
        if (name == "KEYCODE" || name == "DATACODE" || name == "DBEncrypt")
            continue;
        info.Add(prop[name] + value[text]);
    }
    info.Add(prop["KEYCODE"] + value["2"]);
    info.Add(prop["DATACODE"] + value["2"]);
    info.Add(prop["DBEncrypt"] + value["0"]);
}

}  // namespace

bool NeedsUtf8Mirror(const IDictionaryRows& file)
{
    const DictionaryRowsLayout layout = file.Layout();
    return file.IsOpen() && !file.IsMirrored() &&
           (layout.encrypted || NormalizeEntryTextCode(layout.keyCode) != CODE_UTF8 ||
            NormalizeEntryTextCode(layout.dataCode) != CODE_UTF8);
}

bool HasCapitalBeyondAscii(std::string_view text)
{
    return utf8case::HasCapitalBeyondAscii(text);
}

namespace {

// The entries of a file in a storage of their own, as UTF-8, sorted as the storage sorts keys.
// capitalsOnly: only the keys with a capital beyond ASCII, sorted by their small letters. Null
// when there is nothing to keep or the storage could not be made.
std::unique_ptr<c4_Storage> BuildMirror(const IDictionaryRows& file, bool capitalsOnly,
                                        std::unique_ptr<c4_FileStrategy>& strategy, int& skipped)
{
    CEntryTextCodec codec(file.AnsiCodePage());
    const DictionaryRowsLayout layout = file.Layout();
    const int keyCode = file.IsMirrored() ? CODE_UTF8 : layout.keyCode;
    const int dataCode = file.IsMirrored() ? CODE_UTF8 : layout.dataCode;
    const bool encrypted = layout.encrypted;
    std::string pool, key, data;
    std::vector<MirrorEntry> entries;
    if (!capitalsOnly)
        entries.reserve(static_cast<std::size_t>(file.CountEntries()));
    std::string_view storedKey, storedData;
    for (int row = 0; file.ReadStoredEntry(row, storedKey, storedData); ++row) {
        if (capitalsOnly && (keyCode != CODE_UTF8 || encrypted || !HasCapitalBeyondAscii(storedKey)))
            continue;
        if (!codec.DecodeExactly(keyCode, encrypted, storedKey, key) || key.empty() ||
            key.find('\0') != std::string::npos || !codec.DecodeExactly(dataCode, encrypted, storedData, data)) {
            ++skipped;
            continue;
        }
        MirrorEntry entry{};
        entry.keyAt = static_cast<std::uint32_t>(pool.size());
        if (capitalsOnly) {
            pool += Utf8CodePage().Lowered(key);
            entry.keyLength = static_cast<std::uint32_t>(pool.size() - entry.keyAt);
            entry.shownAt = static_cast<std::uint32_t>(pool.size());
            entry.shownLength = static_cast<std::uint32_t>(key.size());
        } else {
            entry.keyLength = static_cast<std::uint32_t>(key.size());
        }
        pool += key;
        entry.dataAt = static_cast<std::uint32_t>(pool.size());
        entry.dataLength = static_cast<std::uint32_t>(data.size());
        pool += data;
        entry.rank = static_cast<std::uint16_t>(file.Rank(row));
        entries.push_back(entry);
    }
    if (capitalsOnly && entries.empty())
        return nullptr;
    const unsigned char* fold = mbtext::AsciiFoldTable();
    const auto text = [&pool](std::uint32_t at, std::uint32_t length) {
        return std::string_view(pool).substr(at, length);
    };
    // Stable: keys equal but for case keep the file's order (the newest first).
    std::stable_sort(entries.begin(), entries.end(), [&](const MirrorEntry& a, const MirrorEntry& b) {
        return FoldedLess(fold, text(a.keyAt, a.keyLength), text(b.keyAt, b.keyLength));
    });

    c4_Storage built;
    c4_View info = built.GetAs(kInfoDescription);
    CopyInfo(file, info);
    const bool ranked = file.HasRankColumn();
    c4_View rows =
        built.GetAs(capitalsOnly ? kCapitalsDataDescription : (ranked ? kRankedDataDescription : kDataDescription));
    const c4_StringProp keyProp("key"), dataProp("data"), shownProp("shown");
    const c4_IntProp rankProp("rank");
    for (const MirrorEntry& e : entries) {
        c4_Row row = keyProp[text(e.keyAt, e.keyLength)] + dataProp[text(e.dataAt, e.dataLength)];
        if (ranked || capitalsOnly)
            row += rankProp[e.rank];
        if (capitalsOnly)
            row += shownProp[text(e.shownAt, e.shownLength)];
        rows.Add(row);
    }
    std::vector<std::uint8_t> image;
    if (!built.SaveTo(image))
        return nullptr;
    strategy = std::make_unique<CImageStrategy>(std::move(image));
    return std::make_unique<c4_Storage>(*strategy, false, 0);
}

// Whether every entry of a UTF-8 file can be read as it is.
bool AllEntriesReadable(const IDictionaryRows& file)
{
    std::string_view key, data;
    for (int row = 0; file.ReadStoredEntry(row, key, data); ++row) {
        if (!utf8case::IsValid(key) || !utf8case::IsValid(data))
            return false;
    }
    return true;
}

}  // namespace

MirrorOutcome MirrorAsUtf8(CDictionaryFile& file)
{
    MirrorOutcome outcome;
    if (!file.IsOpen() || file.IsMirrored())
        return outcome;
    std::unique_ptr<c4_FileStrategy> strategy;
    std::unique_ptr<c4_Storage> storage = BuildMirror(file, false, strategy, outcome.skipped);
    outcome.mirrored = storage && file.AdoptMirror(std::move(strategy), std::move(storage));
    return outcome;
}

MirrorOutcome MirrorIfNeeded(CDictionaryFile& file)
{
    if (NeedsUtf8Mirror(file) || (file.IsOpen() && !file.IsMirrored() && !AllEntriesReadable(file)))
        return MirrorAsUtf8(file);
    return MirrorOutcome{};
}

std::unique_ptr<CDictionaryFile> MirrorOfCapitals(CDictionaryFile& file)
{
    if (!file.IsOpen() || file.IsCapitalsMirror() || (!file.IsMirrored() && NeedsUtf8Mirror(file)))
        return nullptr;
    std::unique_ptr<c4_FileStrategy> strategy;
    int skipped = 0;
    std::unique_ptr<c4_Storage> storage = BuildMirror(file, true, strategy, skipped);
    if (!storage)
        return nullptr;
    auto side = std::make_unique<CDictionaryFile>(file.AnsiCodePage());
    // Opened for its properties (caption, type, limits), then searching the mirror only.
    if (!side->Open(file.Path(), true) || !side->AdoptMirror(std::move(strategy), std::move(storage)))
        return nullptr;
    side->SetLengthLimits(file.MinKeyLength(), file.MaxKeyLength());
    side->SetCaptionHeader(file.HasCaptionHeader());  // its rows show as the file's own
    side->SetCapitalsMirror(true);
    return side;
}
