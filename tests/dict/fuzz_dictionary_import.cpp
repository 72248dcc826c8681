// libFuzzer: any bytes as a text file for the dictionary imports. Every answer must agree with
// the rows the dictionary gained, and a file refused as a problem must add nothing.
//
// Input: [choice byte] [file bytes]. Bit 0 of the choice picks the word-list import; when the
// dictionary is made anew (every kRunsPerDictionary runs, or once it holds kMaxRows), the other bits pick its code
// page, type, data code and encryption.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "dict/DictionaryFile.h"
#include "dict/DictionaryText.h"
#include "dict/TextImport.h"
#include "tests/dict/FakeDoubleByteCodePage.h"

namespace {

// A small dictionary keeps every commit and every insertion cheap.
constexpr int kRunsPerDictionary = 64;
constexpr int kMaxRows = 10000;

std::string FuzzPath(const char* name)
{
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/pv-fuzz-import-" + std::to_string(getpid()) + "-" + name;
}

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

void WriteFile(const std::string& path, const std::uint8_t* bytes, std::size_t size)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    Check(out != nullptr);
    if (size > 0)
        Check(std::fwrite(bytes, 1, size, out) == size);
    std::fclose(out);
}

std::unique_ptr<CDictionaryFile> FreshDictionary(const std::string& path, std::uint8_t choice)
{
    static const dicttest::CFakeDoubleByteCodePage doubleByte;
    const CCodePage& codePage = choice & 0x02 ? static_cast<const CCodePage&>(doubleByte) : Windows1252CodePage();
    std::remove(path.c_str());
    auto dictionary = std::make_unique<CDictionaryFile>(codePage);
    Check(dictionary->Open(path));
    dictionary->SetType(choice & 0x04 ? DICTIONARY_SHORTHAND : DICTIONARY_WORDS);
    dictionary->SetDataCode(1 + (choice >> 3) % 3);
    dictionary->SetEncrypted((choice & 0x40) != 0);
    Check(dictionary->WriteInfo());
    return dictionary;
}

bool KnownEncoding(const std::string& name)
{
    return name == "ANSI" || name == "UTF-8" || name == "UTF-16LE" || name == "UTF-16BE";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    static const std::string textPath = FuzzPath("import.txt");
    static const std::string dictionaryPath = FuzzPath("dictionary.lib");
    static std::unique_ptr<CDictionaryFile> dictionary;
    static int runs = 0;
    if (runs++ % kRunsPerDictionary == 0 || dictionary->CountEntries() > kMaxRows)
        dictionary = FreshDictionary(dictionaryPath, data[0]);

    WriteFile(textPath, data + 1, size - 1);
    const int before = dictionary->CountEntries();
    TextImportReport report;
    const int added = data[0] & 1 ? ImportDictionaryWords(*dictionary, textPath, nullptr, &report)
                                  : ImportDictionaryText(*dictionary, textPath, nullptr, &report);
    Check(added >= 0 && dictionary->CountEntries() == before + added);
    Check(report.unconvertible >= 0);
    if (report.problem == TextImportReport::Problem::None)
        Check(KnownEncoding(report.encoding));
    else
        Check(added == 0 && report.encoding.empty());
    // Rows read back; only a file of nothing but a byte-order mark (at most three bytes) is empty.
    std::string key, text;
    for (int row = 0; row < dictionary->CountEntries(); row += 1 + dictionary->CountEntries() / 8)
        Check(dictionary->ReadEntry(row, key, text));
    const bool empty = report.problem == TextImportReport::Problem::Empty;
    Check(size == 1 ? empty : (size <= 4 || !empty));
    return 0;
}
