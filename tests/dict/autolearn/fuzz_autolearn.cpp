// libFuzzer: arbitrary AutoLearn.dic contents, then a sequence of learning, suggestion and
// editing steps. Every answer must equal the record-by-record reference, and the memory copy
// must equal a fresh scan of the file after every step.
//
// Input: [settings byte] [file length, 2 bytes LE] [file bytes] then steps of
//        [operation byte] [length byte] [that many argument bytes].

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "dict/AutoLearnDictionary.h"
#include "dict/AutoLearnTextExchange.h"
#include "tests/dict/autolearn/AutoLearnReference.h"

namespace {

std::string FuzzPath(const char* name)
{
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/pv-fuzz-autolearn-" + std::to_string(getpid()) + "-" + name;
}

// Import as the page's text files give it: lines up to the first empty one.
int ReferenceImport(CReferenceAutoLearn& reference, const std::string& text)
{
    int imported = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            break;
        const AutoLearnRecord record = ParseAutoLearnLine(line);
        if (!reference.Import(record.count, AutoLearnStoredText(record.text)))
            break;
        ++imported;
    }
    return imported;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        std::abort();
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

std::string ReadFile(const std::string& path)
{
    std::string bytes;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return bytes;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.append(buffer, got);
    std::fclose(in);
    return bytes;
}

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

class CFakeDictionaries : public IKnownWords {
public:
    bool HoldsExactly(const std::string& text) override { return text == "abc" || text == "Abc"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    static const std::string path = FuzzPath("store.dic");
    static const std::string referencePath = FuzzPath("reference.dic");

    const std::uint8_t settings = data[0];
    std::size_t fileLength = data[1] | (data[2] << 8);
    std::size_t pos = 3;
    fileLength = std::min(fileLength, size - pos);
    const std::string initial(reinterpret_cast<const char*>(data + pos), fileLength);
    pos += fileLength;
    WriteFile(path, initial);

    CFakeDictionaries dictionaries;
    CAutoLearnDictionary store;
    CReferenceAutoLearn reference;
    store.SetMinWordLength((settings >> 1) & 3);
    reference.minWordLength = store.MinWordLength();
    static const std::size_t limits[] = {64, 0, 2, 8};
    store.SetIndexedPrefixLimit(limits[(settings >> 3) & 3]);
    store.SetOfferThreshold((settings >> 5) & 1);
    reference.offerThreshold = store.OfferThreshold();
    if (settings & 0x40) {
        store.SetKnownWords(&dictionaries);
        reference.knownWords = &dictionaries;
    }
    Check(store.Open(path));
    // Opened, the file is UTF-8 (converted when it was not): the reference starts from it.
    WriteFile(referencePath, ReadFile(path));
    Check(reference.Open(referencePath));
    Check(ReadFile(path).size() == (store.RecordCount() + 1) * kAutoLearnRecordSize);
    Check(store.Records() == reference.ReadAll());

    std::string prefix;
    bool cursorsAgree = true;
    int steps = 0;
    while (pos + 2 <= size && steps++ < 64) {
        const std::uint8_t op = data[pos];
        std::size_t length = std::min<std::size_t>(data[pos + 1], size - pos - 2);
        const std::string argument(reinterpret_cast<const char*>(data + pos + 2), length);
        pos += 2 + length;
        switch (op % 8) {
            case 0:
            case 1:
                Check(store.Learn(argument) == reference.Learn(argument));
                break;
            case 2:
                prefix = argument.substr(0, argument.find('\0'));
                Check(store.FirstSuggestion(prefix) == reference.FirstSuggestion(prefix));
                cursorsAgree = true;
                break;
            case 3:
                if (cursorsAgree)
                    Check(store.NextSuggestion(prefix) == reference.NextSuggestion(prefix));
                break;
            case 4: {
                const std::int32_t count = argument.empty() ? 1 : static_cast<std::int8_t>(argument[0]);
                const std::string text = argument.empty() ? argument : argument.substr(1);
                store.SetCurrent(count, text);
                Check(store.Append() == reference.Append(count, text));
                break;
            }
            case 5: {
                if (store.RecordCount() == 0 || argument.empty())
                    break;
                const std::size_t at = static_cast<unsigned char>(argument[0]) % store.RecordCount();
                store.MoveFirst();
                for (std::size_t i = 0; i < at; ++i)
                    store.MoveNext();
                store.SetCurrent(static_cast<std::int8_t>(op), argument.substr(1));
                Check(store.UpdateCurrent());
                reference.Close();
                WriteFile(referencePath, ReadFile(path));
                Check(reference.Open(referencePath));
                cursorsAgree = false;
                break;
            }
            case 6:
                store.Close();
                Check(store.Open(path));
                cursorsAgree = false;
                break;
            case 7:
                if (op & 0x80) {
                    Check(store.Truncate());
                    reference.Close();
                    WriteFile(referencePath, "");
                    Check(reference.Open(referencePath));
                    cursorsAgree = true;
                } else if (op & 0x40) {
                    static const std::string textPath = FuzzPath("import.txt");
                    WriteFile(textPath, argument);
                    Check(ImportAutoLearnText(store, textPath) == ReferenceImport(reference, argument));
                    cursorsAgree = false;
                } else {
                    store.SetSeparators(argument);
                    reference.rules.SetSeparators(argument);
                }
                break;
        }
        Check(store.Records() == ScanAutoLearnFile(path));
        Check(store.Records() == reference.ReadAll());
    }
    store.Close();
    reference.Close();
    return 0;
}
