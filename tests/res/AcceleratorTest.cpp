// No two items of one menu level or one dialog share an access key: the second would act by
// surprise (a press meant for one item opening or switching another). Pages hosted in the Options
// dialog share its keys, so each page is checked together with the dialog. The translations
// (res/lang/*.txt) are checked in the same scopes, the dialogs' texts replaced by theirs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Item {
    std::string text;
    char32_t key;
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

// The character of UTF-8 text at i (a lead byte), in capitals for the scripts of the translations:
// Latin-1, the Latin Extended-A pairs and Cyrillic.
char32_t CapitalAt(const std::string& text, size_t i)
{
    const auto byte = [&](size_t k) {
        return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u;
    };
    char32_t c = byte(i);
    if (c >= 0xC0 && c < 0xE0)
        c = ((c & 0x1F) << 6) | (byte(i + 1) & 0x3F);
    else if (c >= 0xE0)
        c = ((c & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
    if (c < 0x80)
        return static_cast<char32_t>(std::toupper(static_cast<int>(c)));
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x430 && c <= 0x44F))
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if (c >= 0x100 && c <= 0x17F && c % 2 == 1 && c != 0x131 && c != 0x138 && c != 0x149)
        return c - 1;
    return c;
}

// The access key of a label: the character after a single '&' ("&&" is a literal ampersand).
char32_t AccessKey(const std::string& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return CapitalAt(text, i + 1);
    }
    return 0;
}

// A translation table: the English text as the .rc file quotes it, then its translation.
std::map<std::string, std::string> ReadTable(const std::string& path)
{
    std::map<std::string, std::string> table;
    std::istringstream lines(ReadFile(path));
    std::string line, english;
    while (std::getline(lines, line)) {
        if (line.rfind("en: ", 0) == 0)
            english = line.substr(4);
        else if (line.size() > 4 && line[2] == ':' && line[0] != '#')
            table[english] = line.substr(4);
    }
    return table;
}

// The .rc quoting undone: a doubled quote is one.
std::string Unquoted(std::string text)
{
    for (size_t at = text.find("\"\""); at != std::string::npos; at = text.find("\"\"", at + 1))
        text.erase(at, 1);
    return text;
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
    std::map<char32_t, std::string> seen;
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
    EXPECT_EQ(AccessKey("Save && &Close"), U'C');
    EXPECT_EQ(AccessKey("No key &&"), 0u);
    EXPECT_EQ(AccessKey("&\xC3\xA4nderungen"), AccessKey("&\xC3\x84"));         // ä and Ä
    EXPECT_EQ(AccessKey("\xD0\x9F&\xD1\x80\xD0\xB8"), AccessKey("&\xD0\xA0"));  // р and Р
    EXPECT_NE(AccessKey("&\xD0\xB2"), AccessKey("&\xD0\xB1"));                  // в and б
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

TEST_F(AcceleratorTest, NoTwoItemsShareAKeyInAnyTranslation)
{
    scopes["IDR_TRAY/TRAY"].push_back(
        Item{strings["IDS_DISABLE_PENNIVOX"], AccessKey(strings["IDS_DISABLE_PENNIVOX"])});
    for (const char* page : {"IDD_OPTION_OTHERS", "IDD_OPTION_HOTKEY", "IDD_AUTOLEARN_PAGE"}) {
        std::vector<Item> together = scopes["IDD_OPTIONS"];
        together.insert(together.end(), scopes[page].begin(), scopes[page].end());
        scopes[std::string("IDD_OPTIONS+") + page] = together;
    }
    for (const char* code : {"de", "fr", "es", "it", "pt", "nl", "pl", "sv", "ru"}) {
        const auto table = ReadTable(std::string(PV_SOURCE_DIR) + "/res/lang/" + code + ".txt");
        ASSERT_FALSE(table.empty()) << code;
        for (const auto& [scope, items] : scopes) {
            std::vector<Item> translated;
            for (const Item& item : items) {
                // The parser unquoted the text; the table keeps it as the .rc file quotes it.
                auto found = std::find_if(table.begin(), table.end(),
                                          [&](const auto& pair) { return Unquoted(pair.first) == item.text; });
                const std::string text = found != table.end() ? Unquoted(found->second) : item.text;
                translated.push_back(Item{text, AccessKey(text)});
            }
            EXPECT_EQ(Duplicates(translated), "") << code << " " << scope;
        }
    }
}

}  // namespace
