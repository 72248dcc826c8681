#include "dict/DictionaryCopy.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/FileIo.h"
#include "dict/DictionaryFile.h"

namespace {

// The order the storage keeps keys in: up to the first zero byte, ASCII letters folded.
bool StoredKeyLess(const std::string& a, const std::string& b)
{
    const std::size_t na = std::strlen(a.c_str()), nb = std::strlen(b.c_str());
    for (std::size_t i = 0; i < na && i < nb; ++i) {
        const auto ca = static_cast<unsigned char>(a[i] >= 'A' && a[i] <= 'Z' ? a[i] + 32 : a[i]);
        const auto cb = static_cast<unsigned char>(b[i] >= 'A' && b[i] <= 'Z' ? b[i] + 32 : b[i]);
        if (ca != cb)
            return ca < cb;
    }
    return na < nb;
}

struct StoredKey {
    std::string key;  // as the copy stores it
    int row;          // in the source
};

void TakeProperties(const CDictionaryFile& source, CDictionaryFile& copy)
{
    copy.SetDescription(source.Description());
    copy.SetCaption(source.Caption());
    copy.SetType(source.Type());
    copy.SetEditFlags(source.EditFlags());
    copy.SetEncrypted(true);
    copy.SetCaptionHeader(false);
}

// Adds the entries in the copy's own key order, so that each lands at the end of the rows
// instead of moving the rows behind it. The storage still places every row by its key.
bool CopyEntries(CDictionaryFile& source, CDictionaryFile& copy)
{
    std::vector<StoredKey> keys;
    keys.reserve(static_cast<std::size_t>(source.CountEntries()));
    std::string key, data;
    for (int row = 0; row < source.CountEntries(); ++row) {
        if (!source.ReadEntry(row, key, data))
            return false;
        if (key.empty())
            continue;  // a key that decodes to nothing is no entry of any dictionary
        keys.push_back({std::string(), row});
        copy.EncodeKey(key, keys.back().key);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const StoredKey& a, const StoredKey& b) { return StoredKeyLess(a.key, b.key); });
    for (const StoredKey& entry : keys) {
        if (!source.ReadEntry(entry.row, key, data) || !copy.AddEntry(key, data))
            return false;
    }
    return true;
}

}  // namespace

bool CopyEncrypted(const std::string& sourcePath, const std::string& targetPath, const CCodePage& codePage)
{
    if (targetPath.empty())
        return false;
    CDictionaryFile source(codePage);
    if (!source.Open(sourcePath, true))
        return false;
    const std::string part = targetPath + ".part";
    pvbase::RemoveFileIfExists(part);
    bool ok;
    {
        CDictionaryFile copy(codePage);
        ok = copy.Open(part);
        if (ok) {
            TakeProperties(source, copy);
            ok = CopyEntries(source, copy) && copy.WriteInfo();
        }
    }
    source.Close();
    if (ok && pvbase::ReplaceFileAtomically(part, targetPath))
        return true;
    pvbase::RemoveFileIfExists(part);
    return false;
}
