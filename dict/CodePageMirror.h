#pragma once
// A dictionary's entries as UTF-8, kept in memory for completion.
//
// The program's text is UTF-8, and files of UTF-8 keys are searched in place: the storage orders
// keys with A-Z folded only, so they are looked up by the query in small letters. A file of
// ANSI, UTF-16 or scrambled keys is searched through a mirror: its keys and data decoded once to
// UTF-8 and sorted as the storage sorts UTF-8 keys, ranks kept. Entries that cannot be read
// (broken UTF-8, a UTF-16 surrogate out of its pair) are left out and counted, never offered with
// replacement characters; a UTF-8 file holding such entries is mirrored for that.
// What the order of keys misses ("Über" for "üb") comes from a small mirror beside each file of
// its keys with capitals beyond ASCII, made at the first query that needs it.

#include <memory>
#include <string_view>

class CCodePage;
class CDictionaryFile;
class IDictionaryRows;

struct MirrorOutcome {
    bool mirrored = false;  // the file is now searched through a mirror
    int skipped = 0;        // entries left out: they cannot be read
};

// Whether the file's search needs a mirror: keys stored as ANSI, UTF-16 or scrambled.
bool NeedsUtf8Mirror(const IDictionaryRows& file);

// Builds the mirror of an open file and has the file search it from now on (read-only).
MirrorOutcome MirrorAsUtf8(CDictionaryFile& file);

// A file that needs one is mirrored; a UTF-8 file is too when an entry of it cannot be read
// (which reads every entry once).
MirrorOutcome MirrorIfNeeded(CDictionaryFile& file);

// A file of UTF-8 keys (or a mirror) stays as it is; what its order misses (keys with a capital
// beyond ASCII within the query, "Über" for "üb") comes from a second dictionary over the file:
// a mirror of just those keys, sorted by their small letters, which offers a key only where the
// file's own search cannot. Null when the file has no such key. Reads every key once.
std::unique_ptr<CDictionaryFile> MirrorOfCapitals(CDictionaryFile& file);

// Whether the UTF-8 text holds a capital beyond ASCII.
bool HasCapitalBeyondAscii(std::string_view text);
