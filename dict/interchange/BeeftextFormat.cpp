// Beeftext combo exports: a JSON object whose "combos" each hold a keyword and a snippet with
// #{...} variables. Read with nlohmann-json, as pvengine reads its requests.

#include <nlohmann/json.hpp>

#include <cstring>
#include <string>

#include "dict/interchange/InterchangeText.h"
#include "dict/interchange/ShorthandInterchange.h"

namespace interchange {

namespace {

using Json = nlohmann::json;

std::string StringField(const Json& object, const char* first, const char* second = nullptr)
{
    for (const char* name : {first, second}) {
        if (!name)
            continue;
        const auto found = object.find(name);
        if (found != object.end() && found->is_string())
            return found->get<std::string>();
    }
    return {};
}

// Qt date codes, longest first, beside the date macros.
struct QtCode {
    const char* qt;
    const char* macro;
};
const QtCode kQtCodes[] = {
    {"yyyy", "%YEAR%"},     {"MMMM", "%FULLMONTHNAME%"}, {"dddd", "%FULLWEEKNAME%"}, {"MMM", "%MONTHNAME%"},
    {"ddd", "%WEEKNAME%"},  {"MM", "%MONTH_02%"},        {"dd", "%DAY_02%"},         {"HH", "%HOUR_24_02%"},
    {"hh", "%HOUR_24_02%"}, {"mm", "%MINUTE_02%"},       {"ss", "%SECOND_02%"},      {"M", "%MONTH%"},
    {"d", "%DAY%"},         {"H", "%HOUR_24%"},          {"h", "%HOUR_24%"},         {"m", "%MINUTE%"},
    {"s", "%SECOND%"},
};

// A Qt date format ("dd/MM/yyyy") in date macros; false when a code has none.
bool QtDateMacros(std::string_view format, std::string& out)
{
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] == '\'') {  // quoted literal text
            const std::size_t end = format.find('\'', i + 1);
            out += format.substr(i + 1, (end == std::string_view::npos ? format.size() : end) - i - 1);
            i = end == std::string_view::npos ? format.size() : end + 1;
            continue;
        }
        const QtCode* code = nullptr;
        for (const QtCode& candidate : kQtCodes)
            if (!code && format.compare(i, std::strlen(candidate.qt), candidate.qt) == 0)
                code = &candidate;
        if (code) {
            out += code->macro;
            i += std::strlen(code->qt);
        } else if ((format[i] >= 'a' && format[i] <= 'z') || (format[i] >= 'A' && format[i] <= 'Z')) {
            return false;  // yy, AP, z, t...: no macro
        } else {
            out += format[i++];
        }
    }
    return true;
}

const std::pair<const char*, const char*> kKeys[] = {
    {"enter", "%RETURN%"},  {"return", "%RETURN%"}, {"tab", "%TAB%"},       {"up", "%UP%"},
    {"down", "%DOWN%"},     {"pageup", "%PGUP%"},   {"pagedown", "%PGDN%"}, {"backspace", "%BACKSPACE%"},
    {"delete", "%DELETE%"}, {"home", "%HOME%"},     {"end", "%END%"},
};

// One #{...} variable's text; why not in `reason`.
std::string Variable(std::string_view name, std::string& reason)
{
    if (name == "cursor")
        return kCaretMacro;
    if (name == "date")
        return "%DATE%";
    if (name == "time")
        return "%TIME_24%";
    if (name.substr(0, 9) == "dateTime:") {
        std::string out;
        if (QtDateMacros(name.substr(9), out))
            return out;
        reason = "its date format \"" + std::string(name.substr(9)) + "\" has no date macros";
        return {};
    }
    if (name.substr(0, 4) == "key:") {
        std::string key(name.substr(4));
        for (char& c : key)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        for (const auto& [beeftext, macro] : kKeys)
            if (key == beeftext)
                return macro;
        reason = "the key " + std::string(name.substr(4)) + " has no key macro";
        return {};
    }
    reason = "it uses #{" + std::string(name.substr(0, name.find(':'))) + "}, which has no equal here";
    return {};
}

std::string FromSnippet(std::string_view snippet, std::string& reason)
{
    std::string out;
    bool caret = false;
    for (std::size_t i = 0; i < snippet.size();) {
        if (snippet.compare(i, 2, "#{") != 0) {
            out += snippet[i++];
            continue;
        }
        const std::size_t end = snippet.find('}', i + 2);
        if (end == std::string_view::npos) {
            out += snippet.substr(i);
            break;
        }
        const std::string value = Variable(snippet.substr(i + 2, end - i - 2), reason);
        if (!reason.empty())
            return {};
        i = end + 1;
        if (value == kCaretMacro && caret)
            continue;  // only the first cursor counts
        caret = caret || value == kCaretMacro;
        out += value;
    }
    return out;
}

}  // namespace

ShorthandReading ReadBeeftext(std::string_view text)
{
    ShorthandReading reading;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const Json document = Json::parse(text.begin(), text.end(), nullptr, false);
    if (document.is_discarded()) {
        reading.problem = "Not JSON: the file is broken.";
        return reading;
    }
    const auto combos = document.is_object() ? document.find("combos") : document.end();
    if (!document.is_object() || combos == document.end() || !combos->is_array()) {
        reading.problem = "Not a Beeftext combo file: no \"combos\" list.";
        return reading;
    }
    int place = 0;
    for (const Json& combo : *combos) {
        ++place;
        if (!combo.is_object()) {
            Skip(reading, 0, "(combo " + std::to_string(place) + ")", "it is not a combo");
            continue;
        }
        const std::string keyword = StringField(combo, "keyword", "shortcut");
        const std::string what = keyword.empty() ? "(combo " + std::to_string(place) + ")" : keyword;
        if (keyword.empty()) {
            Skip(reading, 0, what, "it has no keyword");
            continue;
        }
        std::string reason;
        const std::string snippet = FromSnippet(StringField(combo, "snippet", "text"), reason);
        if (!reason.empty()) {
            Skip(reading, 0, what, reason);
            continue;
        }
        ShorthandEntry entry;
        entry.abbreviation = keyword;
        entry.text = CrLfBreaks(snippet);
        const auto mode = combo.find("matchingMode");
        entry.wordBoundary = !(mode != combo.end() && ((mode->is_string() && mode->get<std::string>() == "loose") ||
                                                       (mode->is_number_integer() && mode->get<int>() == 2)));
        reading.entries.push_back(std::move(entry));
    }
    return reading;
}

}  // namespace interchange
