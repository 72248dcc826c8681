// No two items of one menu level or one dialog share an access key: the second would act by
// surprise (a press meant for one item opening or switching another). Pages hosted in the Options
// dialog share its keys, so each page is checked together with the dialog.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Item {
    std::string text;
    char key;
};
// One scope: a dialog template or one level of a menu.
using Scopes = std::map<std::string, std::vector<Item>>;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first quoted text of a line, "" quotes unescaped; false when there is none.
bool QuotedText(const std::string& line, std::string& text)
{
    const size_t open = line.find('"');
    if (open == std::string::npos)
        return false;
    text.clear();
    for (size_t i = open + 1; i < line.size(); ++i) {
        if (line[i] != '"')
            text += line[i];
        else if (i + 1 < line.size() && line[i + 1] == '"')
            text += line[++i];
        else
            return true;
    }
    return false;
}

// The access key of a label: the character after a single '&' ("&&" is a literal ampersand).
char AccessKey(const std::string& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

std::string FirstWord(const std::string& line)
{
    std::istringstream words(line);
    std::string word;
    words >> word;
    return word;
}

// Dialog templates and menus of one .rc file; a nested POPUP opens a scope of its own.
void ParseResources(const std::string& source, Scopes& scopes, std::map<std::string, std::string>& strings)
{
    std::istringstream lines(source);
    std::string line, resource;
    std::vector<std::string> open;  // scopes of the BEGIN ... END blocks now open
    bool inStrings = false, pendingPopup = false;
    std::string popupScope;
    while (std::getline(lines, line)) {
        const std::string word = FirstWord(line);
        std::string text;
        if (open.empty() && !inStrings) {
            std::istringstream words(line);
            std::string name, kind;
            words >> name >> kind;
            if (kind == "DIALOGEX" || kind == "DIALOG" || kind == "MENU")
                resource = name;
            if (name == "STRINGTABLE")
                inStrings = true;
            if (word == "BEGIN" && !resource.empty())
                open.push_back(resource);
            continue;
        }
        if (inStrings) {
            if (word == "END")
                inStrings = false;
            else if (QuotedText(line, text))
                strings[word] = text;
            continue;
        }
        if (word == "BEGIN") {
            open.push_back(pendingPopup ? popupScope : open.back());
            pendingPopup = false;
        } else if (word == "END") {
            open.pop_back();
            if (open.empty())
                resource.clear();
        } else if (word.rfind("//", 0) != 0 && QuotedText(line, text)) {
            scopes[open.back()].push_back(Item{text, AccessKey(text)});
            if (word == "POPUP") {
                pendingPopup = true;
                popupScope = open.back() + "/" + text;
            }
        }
    }
}

std::string Duplicates(const std::vector<Item>& items)
{
    std::map<char, std::string> seen;
    std::string found;
    for (const Item& item : items) {
        if (!item.key)
            continue;
        auto [at, added] = seen.emplace(item.key, item.text);
        if (!added)
            found += "'" + at->second + "' and '" + item.text + "'; ";
    }
    return found;
}

class AcceleratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* file : {"/res/Pennivox.rc", "/config/ui/ConfigUi.rc", "/dict/ui/DictUi.rc"}) {
            const std::string source = ReadFile(std::string(PV_SOURCE_DIR) + file);
            ASSERT_FALSE(source.empty()) << file;
            ParseResources(source, scopes, strings);
        }
    }
    Scopes scopes;
    std::map<std::string, std::string> strings;
};

TEST_F(AcceleratorTest, ParserSeesTheTemplatesAndMenuLevels)
{
    EXPECT_EQ(AccessKey("Save && &Close"), 'C');
    EXPECT_EQ(AccessKey("No key &&"), 0);
    ASSERT_TRUE(scopes.count("IDD_DICT_EDITOR"));
    EXPECT_GE(scopes["IDD_DICT_EDITOR"].size(), 18u);
    EXPECT_TRUE(scopes.count("IDR_TRAY/TRAY/&Help"));
    EXPECT_TRUE(scopes.count("IDR_MISC_MENU/MISC/&Date"));
    EXPECT_EQ(strings["IDS_DISABLE_PENNIVOX"], "&Disable Pennivox");
}

TEST_F(AcceleratorTest, NoTwoItemsOfOneMenuOrDialogShareAKey)
{
    // The tray's first item reads "Disable" while the program is on.
    scopes["IDR_TRAY/TRAY"].push_back(
        Item{strings["IDS_DISABLE_PENNIVOX"], AccessKey(strings["IDS_DISABLE_PENNIVOX"])});
    for (const char* page : {"IDD_OPTION_OTHERS", "IDD_OPTION_HOTKEY", "IDD_AUTOLEARN_PAGE"}) {
        std::vector<Item> together = scopes["IDD_OPTIONS"];
        together.insert(together.end(), scopes[page].begin(), scopes[page].end());
        scopes[std::string("IDD_OPTIONS+") + page] = together;
    }
    for (const auto& [scope, items] : scopes)
        EXPECT_EQ(Duplicates(items), "") << scope;
}

}  // namespace
