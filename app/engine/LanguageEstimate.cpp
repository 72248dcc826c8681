#include "app/engine/LanguageEstimate.h"

#include <algorithm>
#include <cmath>

namespace {

// log10 of a word's share of running text in a language: ranks are 1000 * (9 + log10 share); a
// word the language holds without a rank, or lacks, is taken to be rare there.
constexpr double kHeldWithoutRank = -7.0;
constexpr double kNotHeld = -8.0;

double LogLikelihood(int rank)
{
    return rank > 0 ? std::max(rank / 1000.0 - 9.0, kHeldWithoutRank) : kHeldWithoutRank;
}

}  // namespace

void CLanguageEstimate::SetLanguages(const std::vector<int>& languages)
{
    if (languages == m_languages)
        return;
    m_languages = languages;
    m_evidence.assign(languages.size(), 0.0);
    m_observed = false;
}

void CLanguageEstimate::Observe(const std::vector<LanguageRank>& held)
{
    if (held.empty() || !IsActive())
        return;
    for (std::size_t i = 0; i < m_languages.size(); ++i) {
        double word = kNotHeld;
        for (const LanguageRank& entry : held)
            if (entry.language == m_languages[i])
                word = LogLikelihood(entry.rank);
        m_evidence[i] = kDecay * m_evidence[i] + word;
    }
    m_observed = true;
}

int CLanguageEstimate::Likeliest() const
{
    if (!m_observed)
        return 0;
    const auto best = std::max_element(m_evidence.begin(), m_evidence.end());
    return m_languages[static_cast<std::size_t>(best - m_evidence.begin())];
}

std::vector<LanguageRank> CLanguageEstimate::RankOffsets() const
{
    std::vector<LanguageRank> offsets;
    if (!m_observed)
        return offsets;
    const double best = *std::max_element(m_evidence.begin(), m_evidence.end());
    for (std::size_t i = 0; i < m_languages.size(); ++i) {
        const double behind = std::min((best - m_evidence[i]) * 1000.0, static_cast<double>(kMostMovedDown));
        offsets.push_back(LanguageRank{m_languages[i], -static_cast<int>(std::lround(behind))});
    }
    return offsets;
}
