#include "dict/DocumentTeaching.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "base/FileIo.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/AutoLearnList.h"
#include "dict/UsageModel.h"

namespace fs = std::filesystem;

std::vector<std::string> DocumentsInFolder(const std::string& folder, std::size_t most)
{
    std::vector<std::string> documents;
    std::error_code error;
    // Paths are UTF-8 (u8path): on Windows a narrow path is read in the code page.
    fs::recursive_directory_iterator it(fs::u8path(folder), fs::directory_options::skip_permission_denied, error);
    for (const fs::recursive_directory_iterator end; !error && it != end && documents.size() < most;
         it.increment(error)) {
        const std::string path = it->path().u8string();
        if (it->is_regular_file(error) && DocumentKindOf(path) != DocumentKind::Unknown)
            documents.push_back(path);
    }
    std::sort(documents.begin(), documents.end());
    return documents;
}

std::vector<std::string> ExpandDocumentPaths(const std::vector<std::string>& paths)
{
    std::vector<std::string> documents;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::is_directory(fs::u8path(path), error)) {
            const std::vector<std::string> inside = DocumentsInFolder(path);
            documents.insert(documents.end(), inside.begin(), inside.end());
        } else {
            documents.push_back(path);
        }
    }
    return documents;
}

bool ReadDocumentsToTeach(const std::vector<std::string>& paths, CTaughtWords& taught, TeachingReport& report,
                          const TeachingProgress& progress, const DocumentLimits& limits)
{
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (progress && !progress(i, paths.size(), paths[i]))
            return false;
        bool cancelled = false;
        std::size_t sinceAsked = 0;
        const DocumentOutcome outcome = ReadDocumentFile(
            paths[i],
            [&](std::string_view text) {
                report.bytes += text.size();
                taught.Add(text);
                // A large document asks again every megabyte, so a cancel comes soon.
                sinceAsked += text.size();
                if (progress && sinceAsked > (1u << 20)) {
                    sinceAsked = 0;
                    cancelled = !progress(i, paths.size(), paths[i]);
                }
                return !cancelled;
            },
            limits);
        taught.EndDocument();
        if (cancelled)
            return false;
        if (outcome == DocumentOutcome::Read)
            ++report.documents;
        else
            report.unread.push_back(paths[i]);
    }
    return !progress || progress(paths.size(), paths.size(), std::string());
}

void TeachUsage(const CTaughtWords& taught, CUsageModel& usage, const CTaughtWords::RankOf& rankOf,
                const TeachingRules& rules)
{
    taught.TeachUsage(usage, rankOf, rules.usageWords);
}

std::unique_ptr<CAutoLearnDictionary> BuildTaughtAutoLearn(const CTaughtWords& taught,
                                                           const CAutoLearnDictionary& current,
                                                           const std::string& builtPath,
                                                           const CTaughtWords::RankOf& rankOf,
                                                           std::vector<std::string>& added, const TeachingRules& rules)
{
    std::vector<AutoLearnRecord> records = current.Records();
    std::unordered_map<std::string, std::size_t> listed;
    for (std::size_t i = 0; i < records.size(); ++i)
        listed.emplace(records[i].text, i);
    added.clear();
    for (const AutoLearnRecord& word :
         taught.UnknownWords(rankOf, current.MinWordLength(), rules.autoLearnMinCount, rules.autoLearnWords)) {
        const auto [at, isNew] = listed.emplace(word.text, records.size());
        if (isNew) {
            records.push_back(word);
            added.push_back(word.text);
        } else {
            const std::int64_t sum = static_cast<std::int64_t>(records[at->second].count) + word.count;
            records[at->second].count = static_cast<std::int32_t>(std::min<std::int64_t>(sum, INT32_MAX));
        }
    }
    CAutoLearnList list;
    list.Assign(std::move(records));
    auto store = std::make_unique<CAutoLearnDictionary>();
    if (list.WriteStoreFile(builtPath) && store->Open(builtPath))
        return store;
    store.reset();
    pvbase::RemoveFileIfExists(builtPath);
    return nullptr;
}
