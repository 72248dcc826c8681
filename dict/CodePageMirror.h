#pragma once
// A dictionary's entries as the running code page reads them, kept in memory for completion.
//
// The storage orders keys with A-Z folded only, so a file keeps "Über" far from "über", and a
// file with UTF-8 (or scrambled) keys is ordered by bytes that are not the code page's. Such a
// dictionary is searched through a mirror: its keys and data decoded once to code page text,
// sorted by the code page's own case folding, ranks kept. Entries whose key the code page cannot
// represent are left out and counted, never offered with default characters in their place.
// Files of code page keys keep their own order and get a small mirror of their keys with capitals
// beyond ASCII beside them, made at the first query that needs it.

#include <memory>
#include <string_view>

class CCodePage;
class CDictionaryFile;

struct MirrorOutcome {
    bool mirrored = false;  // the file is now searched through a mirror
    int skipped = 0;        // entries left out: their key has characters the code page lacks
};

// Whether the file's search needs a mirror: keys stored as UTF-8, UTF-16 or scrambled.
bool NeedsCodePageMirror(CDictionaryFile& file, const CCodePage& codePage);

// Builds the mirror of an open file and has the file search it from now on (read-only).
MirrorOutcome MirrorForCodePage(CDictionaryFile& file, const CCodePage& codePage);

// Both: mirrors the file when it needs one.
MirrorOutcome MirrorIfNeeded(CDictionaryFile& file, const CCodePage& codePage);

// A file of code page keys stays as it is; what its order misses (keys with a capital beyond ASCII
// within the query, "Über" for "üb") comes from a second dictionary over the file: a mirror of
// just those keys, which offers a key only where the file's own search cannot. Null when the
// file has no such key. Reads every key once.
std::unique_ptr<CDictionaryFile> MirrorOfCapitals(CDictionaryFile& file, const CCodePage& codePage);

bool HasCapitalBeyondAscii(const CCodePage& codePage, std::string_view text);
