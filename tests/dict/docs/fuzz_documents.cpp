// libFuzzer: any bytes as a taught document. Input: [kind byte] [document bytes]. Every reader
// must stay within its limits (the sink checks what it is handed) and the words taught from it
// must stay within theirs.
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "dict/DocumentText.h"
#include "dict/TaughtWords.h"
#include "dict/UsageModel.h"

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    static const DocumentKind kKinds[] = {DocumentKind::PlainText, DocumentKind::Markdown, DocumentKind::Html,
                                          DocumentKind::Mail,      DocumentKind::Mbox,     DocumentKind::Docx,
                                          DocumentKind::Odt};
    const DocumentKind kind = kKinds[data[0] % std::size(kKinds)];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    DocumentLimits limits;
    limits.unpackedBytes = 1 << 20;
    limits.textBytes = 256 << 10;
    limits.xmlDepth = 64;
    std::size_t handed = 0;
    CTaughtWords taught(CTaughtWords::Limits{2000, 4000});
    const DocumentOutcome outcome = ReadDocument(
        kind, bytes,
        [&](std::string_view text) {
            handed += text.size();
            Check(handed <= limits.textBytes);
            taught.Add(text);
            return true;
        },
        limits);
    Check(outcome != DocumentOutcome::Stopped && outcome != DocumentOutcome::Unsupported);
    taught.EndDocument();
    Check(taught.Words().size() <= 2000 && taught.Pairs().size() <= 4000);
    CUsageModel usage(CUsageModel::Limits{500, 1000});
    taught.TeachUsage(usage, [](std::string_view word) { return word.size() % 3 == 0 ? 500 : -1; });
    Check(usage.WordCount() <= 500 && usage.PairCountTotal() <= 1000);
    for (const CTaughtWords::Word& word : taught.Words())
        Check(CUsageModel::IsWord(word.text) && !CTaughtWords::LooksSecret(word.text));
    return 0;
}
