#include <gtest/gtest.h>

#include "dict/DictionaryFile.h"
#include "dict/EntryRows.h"
#include "tests/dict/DictTestSupport.h"

using namespace dicttest;

namespace {

std::string Listed(CEntryRows& rows)
{
    std::string text, key, data;
    for (int index = 0; index < rows.Count(); ++index) {
        EXPECT_TRUE(rows.Read(index, key, data));
        text += key + "=" + data + ";";
    }
    return text;
}

}  // namespace

TEST(EntryRows, ListsEveryEntryOrThoseBeginningWithTheQueryWhateverTheirLength)
{
    TempFolder temp;
    CDictionaryFile dictionary(Windows1252CodePage());
    ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
    const std::string longKey = "th" + std::string(600, 'x');  // past the search's default limit
    for (const char* key : {"that", "The", "apple", "this", "tin", "a"})
        ASSERT_TRUE(dictionary.AddEntry(key, std::string("d-") + key));
    ASSERT_TRUE(dictionary.AddEntry(longKey, ""));
    const int maximum = dictionary.MaxKeyLength();

    CEntryRows rows;
    rows.Query(dictionary, "");
    EXPECT_EQ(rows.Count(), 7);
    EXPECT_EQ(Listed(rows), "a=d-a;apple=d-apple;that=d-that;The=d-The;this=d-this;" + longKey + "=;tin=d-tin;");

    rows.Query(dictionary, "TH");
    EXPECT_EQ(Listed(rows), "that=d-that;The=d-The;this=d-this;" + longKey + "=;");
    EXPECT_EQ(dictionary.MaxKeyLength(), maximum) << "the engine's limits are put back";

    rows.Query(dictionary, "zz");
    EXPECT_EQ(rows.Count(), 0);
    std::string key, data;
    EXPECT_FALSE(rows.Read(0, key, data));

    // A walk stopped by its progress keeps the rows found until then.
    for (int i = 0; i < 2 * CEntryRows::kProgressStep; ++i)
        ASSERT_TRUE(dictionary.AddEntry("tk" + std::to_string(i), ""));
    int calls = 0;
    rows.Query(dictionary, "tk", [&](int found) {
        ++calls;
        return found < CEntryRows::kProgressStep;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(rows.Count(), CEntryRows::kProgressStep);
}
