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

namespace {

const char kInfoDescription[] = "DBINFO[prop:S,value:S]";
const char kDataDescription[] = "DBDATA[key:S,data:S]";
const char kRankedDataDescription[] = "DBDATA[key:S,data:S,rank:I]";

// Double-byte code pages keep the storage's fold (their trail bytes are no letters).
const unsigned char* MirrorFold(const CCodePage& codePage)
{
    return codePage.HasLeadBytes() ? mbtext::AsciiFoldTable() : codePage.LowerTable();
}

// Whether the code page has capitals that the storage's fold leaves apart from their small letters.
bool HasCapitalsBeyondAscii(const CCodePage& codePage)
{
    if (codePage.HasLeadBytes())
        return false;
    for (int b = 0x80; b < 0x100; ++b) {
        if (codePage.IsCapital(static_cast<unsigned char>(b)))
            return true;
    }
    return false;
}

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
    std::uint32_t dataAt;
    std::uint32_t dataLength;
    std::uint16_t rank;
};

// The file's properties, its texts now plain code page text.
void CopyInfo(CDictionaryFile& file, c4_View& info)
{
    const c4_StringProp prop("prop"), value("value");
    std::string_view name, text;
    for (int row = 0; file.ReadInfoRow(row, name, text); ++row) {
        if (name == "KEYCODE" || name == "DATACODE" || name == "DBEncrypt")
            continue;
        info.Add(prop[name] + value[text]);
    }
    info.Add(prop["KEYCODE"] + value["1"]);
    info.Add(prop["DATACODE"] + value["1"]);
    info.Add(prop["DBEncrypt"] + value["0"]);
}

}  // namespace

bool NeedsCodePageMirror(CDictionaryFile& file, const CCodePage& codePage)
{
    (void)codePage;
    return file.IsOpen() && !file.IsMirrored() &&
           (file.IsEncrypted() || NormalizeEntryTextCode(file.KeyCode()) != CODE_ANSI);
}

bool HasCapitalBeyondAscii(const CCodePage& codePage, std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [&codePage](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 && codePage.IsCapital(byte);
    });
}

namespace {

// The entries of a file in a storage of their own, as the code page reads them, sorted by the
// mirror's fold. capitalsOnly: only the keys with a capital beyond ASCII. Null when there is
// nothing to keep or the storage could not be made.
std::unique_ptr<c4_Storage> BuildMirror(CDictionaryFile& file, const CCodePage& codePage, bool capitalsOnly,
                                        std::unique_ptr<c4_FileStrategy>& strategy, int& skipped)
{
    CEntryTextCodec codec(codePage);
    const int keyCode = file.KeyCode(), dataCode = file.DataCode();
    const bool encrypted = file.IsEncrypted();
    std::string pool, key, data;
    std::vector<MirrorEntry> entries;
    if (!capitalsOnly)
        entries.reserve(static_cast<std::size_t>(file.CountEntries()));
    std::string_view storedKey, storedData;
    for (int row = 0; file.ReadStoredEntry(row, storedKey, storedData); ++row) {
        if (capitalsOnly && !HasCapitalBeyondAscii(codePage, storedKey))
            continue;
        if (!codec.DecodeExactly(keyCode, encrypted, storedKey, key) || key.empty() ||
            key.find('\0') != std::string::npos) {
            ++skipped;
            continue;
        }
        codec.Decode(dataCode, encrypted, storedData, data);
        const auto keyAt = static_cast<std::uint32_t>(pool.size());
        pool += key;
        const auto dataAt = static_cast<std::uint32_t>(pool.size());
        pool += data;
        entries.push_back(MirrorEntry{keyAt, static_cast<std::uint32_t>(key.size()), dataAt,
                                      static_cast<std::uint32_t>(data.size()),
                                      static_cast<std::uint16_t>(file.Rank(row))});
    }
    if (capitalsOnly && entries.empty())
        return nullptr;
    const unsigned char* fold = MirrorFold(codePage);
    const auto keyOf = [&pool](const MirrorEntry& e) {
        return std::string_view(pool).substr(e.keyAt, e.keyLength);
    };
    // Stable: keys equal but for case keep the file's order (the newest first).
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const MirrorEntry& a, const MirrorEntry& b) { return FoldedLess(fold, keyOf(a), keyOf(b)); });

    c4_Storage built;
    c4_View info = built.GetAs(kInfoDescription);
    CopyInfo(file, info);
    const bool ranked = file.HasRankColumn();
    c4_View rows = built.GetAs(ranked ? kRankedDataDescription : kDataDescription);
    const c4_StringProp keyProp("key"), dataProp("data");
    const c4_IntProp rankProp("rank");
    for (const MirrorEntry& e : entries) {
        c4_Row row = keyProp[keyOf(e)] + dataProp[std::string_view(pool).substr(e.dataAt, e.dataLength)];
        if (ranked)
            row += rankProp[e.rank];
        rows.Add(row);
    }
    std::vector<std::uint8_t> image;
    if (!built.SaveTo(image))
        return nullptr;
    strategy = std::make_unique<CImageStrategy>(std::move(image));
    return std::make_unique<c4_Storage>(*strategy, false, 0);
}

}  // namespace

MirrorOutcome MirrorForCodePage(CDictionaryFile& file, const CCodePage& codePage)
{
    MirrorOutcome outcome;
    if (!file.IsOpen() || file.IsMirrored())
        return outcome;
    std::unique_ptr<c4_FileStrategy> strategy;
    std::unique_ptr<c4_Storage> storage = BuildMirror(file, codePage, false, strategy, outcome.skipped);
    outcome.mirrored = storage && file.AdoptMirror(std::move(strategy), std::move(storage), MirrorFold(codePage));
    return outcome;
}

MirrorOutcome MirrorIfNeeded(CDictionaryFile& file, const CCodePage& codePage)
{
    return NeedsCodePageMirror(file, codePage) ? MirrorForCodePage(file, codePage) : MirrorOutcome{};
}

std::unique_ptr<CDictionaryFile> MirrorOfCapitals(CDictionaryFile& file, const CCodePage& codePage)
{
    if (!file.IsOpen() || file.IsMirrored() || !HasCapitalsBeyondAscii(codePage))
        return nullptr;
    std::unique_ptr<c4_FileStrategy> strategy;
    int skipped = 0;
    std::unique_ptr<c4_Storage> storage = BuildMirror(file, codePage, true, strategy, skipped);
    if (!storage)
        return nullptr;
    auto side = std::make_unique<CDictionaryFile>(codePage);
    // Opened for its properties (caption, type, limits), then searching the mirror only.
    if (!side->Open(file.Path(), true) ||
        !side->AdoptMirror(std::move(strategy), std::move(storage), MirrorFold(codePage)))
        return nullptr;
    side->SetLengthLimits(file.MinKeyLength(), file.MaxKeyLength());
    side->SetCaptionHeader(file.HasCaptionHeader());  // its rows show as the file's own
    side->SetCapitalsMirror(true);
    return side;
}
