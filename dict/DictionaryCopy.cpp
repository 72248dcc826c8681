#include "dict/DictionaryCopy.h"

#include <utility>
#include <vector>

#include "base/FileIo.h"
#include "dict/DictionaryFile.h"

namespace {

enum class CopyForm { Encrypted, Utf8 };

void TakeProperties(const CDictionaryFile& source, CDictionaryFile& copy, CopyForm form)
{
    copy.SetDescription(source.Description());
    copy.SetCaption(source.Caption());
    copy.SetType(source.Type());
    copy.SetEditFlags(source.EditFlags());
    if (form == CopyForm::Encrypted) {
        copy.SetEncrypted(true);
        copy.SetCaptionHeader(false);
        return;
    }
    copy.SetEncrypted(source.IsEncrypted());
    copy.SetCaptionHeader(source.HasCaptionHeader());
    copy.SetKeyCode(CODE_UTF8);
    copy.SetDataCode(CODE_UTF8);
}

// Adds the entries together: one at a time, each would move the rows behind its place.
bool CopyEntries(CDictionaryFile& source, CDictionaryFile& copy)
{
    CStoredEntries entries;
    std::string key, data, storedKey, storedData;
    for (int row = 0; row < source.CountEntries(); ++row) {
        if (!source.ReadEntry(row, key, data))
            return false;
        copy.EncodeKey(key, storedKey);
        if (storedKey.empty())
            continue;  // a key that encodes to nothing is no entry of any dictionary
        copy.EncodeData(data, storedData);
        entries.Add(storedKey, storedData);
    }
    return copy.AddStoredEntries(std::move(entries));
}

bool CopyInForm(const std::string& sourcePath, const std::string& targetPath, const CCodePage& codePage, CopyForm form)
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
            TakeProperties(source, copy, form);
            ok = CopyEntries(source, copy) && copy.WriteInfo();
        }
    }
    source.Close();
    if (ok && pvbase::ReplaceFileAtomically(part, targetPath))
        return true;
    pvbase::RemoveFileIfExists(part);
    return false;
}

}  // namespace

bool CopyEncrypted(const std::string& sourcePath, const std::string& targetPath, const CCodePage& codePage)
{
    return CopyInForm(sourcePath, targetPath, codePage, CopyForm::Encrypted);
}

bool CopyAsUtf8(const std::string& sourcePath, const std::string& targetPath, const CCodePage& codePage)
{
    return CopyInForm(sourcePath, targetPath, codePage, CopyForm::Utf8);
}
