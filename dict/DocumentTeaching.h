#pragma once
// Teaching from documents the user picked: their words read into a CTaughtWords (the long part,
// on any thread, cancellable), then handed to the stores: the usage store counted in place (its
// file written whole as every save is), and AutoLearn's words written as a whole new store beside
// AutoLearn.dic, which its owner adopts (moves over the old file) or drops. So a cancel or a
// failure anywhere leaves both stores as they were.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dict/DocumentText.h"
#include "dict/TaughtWords.h"

class CAutoLearnDictionary;
class CUsageModel;

struct TeachingReport {
    std::size_t documents = 0;        // read, whole or up to their limits
    std::vector<std::string> unread;  // damaged, too large, unreadable or of no known kind
    std::uint64_t bytes = 0;          // of text read
};

// Told before each document (done of total); false cancels.
using TeachingProgress = std::function<bool(std::size_t done, std::size_t total, const std::string& path)>;

// The documents of known kinds in a folder and its sub-folders (at most `most`), sorted.
std::vector<std::string> DocumentsInFolder(const std::string& folder, std::size_t most = 10000);

// Files as they are, folders as the documents in them (DocumentsInFolder).
std::vector<std::string> ExpandDocumentPaths(const std::vector<std::string>& paths);

// Reads every document into taught. False when progress cancelled (taught then holds part of them).
bool ReadDocumentsToTeach(const std::vector<std::string>& paths, CTaughtWords& taught, TeachingReport& report,
                          const TeachingProgress& progress = {}, const DocumentLimits& limits = {});

// What the stores take of taught words: the usage store its most frequent `usageWords` words and
// their pairs; AutoLearn the words no dictionary holds, seen at least twice.
struct TeachingRules {
    std::size_t usageWords = 20000;
    std::size_t autoLearnWords = 5000;
    std::uint32_t autoLearnMinCount = 2;
};

// Counts the taught words into the usage store (not saved here).
void TeachUsage(const CTaughtWords& taught, CUsageModel& usage, const CTaughtWords::RankOf& rankOf,
                const TeachingRules& rules = {});
// A new AutoLearn store at builtPath holding the current records and the taught words no
// dictionary holds (the counts of those it had grow), opened; null when it could not be written.
// The texts added are put in added.
std::unique_ptr<CAutoLearnDictionary> BuildTaughtAutoLearn(
    const CTaughtWords& taught, const CAutoLearnDictionary& current, const std::string& builtPath,
    const CTaughtWords::RankOf& rankOf, std::vector<std::string>& added, const TeachingRules& rules = {});
