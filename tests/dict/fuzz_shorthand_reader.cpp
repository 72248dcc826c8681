// libFuzzer: any bytes as one format's file (PV_FUZZ_FORMAT picks the reader). Whatever it reads
// must be well formed, and what the writer of that format (CSV for Beeftext, which has none)
// holds must read back the same.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dict/CodePage.h"
#include "dict/interchange/ShorthandInterchange.h"

using namespace interchange;

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// Texts keep "\r\n" breaks only, and a reading with a problem has no entries.
void CheckWellFormed(const ShorthandReading& reading)
{
    Check(reading.problem.empty() || reading.entries.empty());
    for (const ShorthandEntry& entry : reading.entries) {
        Check(!entry.abbreviation.empty());
        for (std::size_t i = 0; i < entry.text.size(); ++i) {
            if (entry.text[i] == '\r')
                Check(i + 1 < entry.text.size() && entry.text[i + 1] == '\n');
            if (entry.text[i] == '\n')
                Check(i > 0 && entry.text[i - 1] == '\r');
        }
    }
}

void CheckRoundTrip(const std::vector<ShorthandEntry>& entries, ShorthandFormat format)
{
    const ShorthandWriting writing = format == ShorthandFormat::Espanso      ? WriteEspanso(entries)
                                     : format == ShorthandFormat::AutoHotkey ? WriteAutoHotkey(entries)
                                                                             : WriteCsv(entries);
    const ShorthandReading back = ReadShorthands(writing.text, format);
    Check(back.problem.empty());
    Check(back.entries.size() == static_cast<std::size_t>(writing.written));
    std::size_t next = 0;
    int place = 0;
    auto notHeld = writing.notHeld.begin();
    for (const ShorthandEntry& entry : entries) {
        ++place;
        bool left = false;
        for (; notHeld != writing.notHeld.end() && notHeld->line == place; ++notHeld)
            left = left || format != ShorthandFormat::Csv || entry.abbreviation.empty() || entry.text.empty();
        if (left)
            continue;
        const ShorthandEntry& read = back.entries[next++];
        Check(read.abbreviation == entry.abbreviation && read.text == entry.text);
        if (format != ShorthandFormat::Csv)
            Check(read == entry);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // As the import hands them over: decoded to UTF-8.
    const DecodedText decoded =
        DecodeFileText(std::string_view(reinterpret_cast<const char*>(data), size), Windows1252CodePage());
    const std::string& text = decoded.text;
    const ShorthandFormat format = ShorthandFormat::PV_FUZZ_FORMAT;
    const ShorthandReading reading = ReadShorthands(text, format);
    CheckWellFormed(reading);
    CheckRoundTrip(reading.entries, format == ShorthandFormat::Beeftext ? ShorthandFormat::Csv : format);
    DetectShorthandFormat(text);
    return 0;
}
