#include "tools/pvengine/Protocol.h"

#include <nlohmann/json.hpp>

#include "dict/CodePage.h"
#include "tools/pvengine/HeadlessHost.h"

namespace {

struct NamedKey {
    const char* name;
    unsigned vk;
    char ch;  // what the hook reports with it
};

const NamedKey kKeys[] = {
    {"Tab", 0x09, '\t'}, {"Return", 0x0D, '\r'}, {"Escape", 0x1B, 0x1B}, {"Back", 0x08, 0x08}, {"Space", 0x20, ' '},
    {"Prior", 0x21, 0},  {"Next", 0x22, 0},      {"End", 0x23, 0},       {"Home", 0x24, 0},    {"Left", 0x25, 0},
    {"Up", 0x26, 0},     {"Right", 0x27, 0},     {"Down", 0x28, 0},      {"Delete", 0x2E, 0},
};

}  // namespace

bool CProtocol::KeyByName(const std::string& name, unsigned& vk, char& ch)
{
    for (const NamedKey& key : kKeys) {
        if (name == key.name) {
            vk = key.vk;
            ch = key.ch;
            return true;
        }
    }
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') {
        vk = static_cast<unsigned char>(name[0]);
        ch = name[0];
        return true;
    }
    // F1 ... F12
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F' &&
        name.find_first_not_of("0123456789", 1) == std::string::npos) {
        const int number = std::stoi(name.substr(1));
        if (number >= 1 && number <= 12 && name[1] != '0') {
            vk = 0x70 + static_cast<unsigned>(number - 1);
            ch = 0;
            return true;
        }
    }
    return false;
}

std::string CProtocol::Error(const std::string& message)
{
    return nlohmann::json{{"error", message}}.dump();
}

std::string CProtocol::Handle(const std::string& line)
{
    const nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
    if (event.is_discarded())
        return Error("not a JSON object: " + line.substr(0, 80));
    if (!event.is_object() || event.size() != 1)
        return Error("an event is an object with one of \"type\", \"key\" or \"reset\"");
    if (event.contains("type")) {
        if (!event["type"].is_string())
            return Error("\"type\" takes a string");
        std::u16string wide;
        Utf8ToUtf16(event["type"].get<std::string>(), wide);
        std::string text;
        int unconvertible = 0;
        if (!m_codePage.FromUtf16Counted(wide, text, unconvertible) || unconvertible > 0)
            return Error("\"type\" holds characters the code page has not");
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                continue;  // CR LF is one Return
            m_host.TypeCharacter(text[i]);
        }
        return State();
    }
    if (event.contains("key")) {
        unsigned vk = 0;
        char ch = 0;
        if (!event["key"].is_string() || !KeyByName(event["key"].get<std::string>(), vk, ch))
            return Error("unknown key: " + event["key"].dump());
        m_host.PressKey(vk, ch);
        return State();
    }
    if (event.contains("reset")) {
        if (event["reset"] != true)
            return Error("\"reset\" takes true");
        m_host.Reset();
        return State();
    }
    return Error("unknown event: " + event.begin().key());
}

std::string CProtocol::State() const
{
    const std::string& all = m_host.Edit().Text();
    std::string shown = m_tail && all.size() > m_tail ? all.substr(all.size() - m_tail) : all;
    auto toUtf8 = [this](const std::string& ansi) {
        std::u16string wide;
        std::string utf8;
        if (!m_codePage.ToUtf16(ansi, wide))
            return std::string();
        Utf16ToUtf8(wide, utf8);
        return utf8;
    };
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const PromptRow& row : m_host.VisibleRows())
        rows.push_back({{"text", toUtf8(row.text)}, {"kind", row.image + 1}});
    nlohmann::ordered_json state;
    state["text"] = toUtf8(shown);
    state["rows"] = std::move(rows);
    state["selected"] = m_host.Selected();
    state["page"] = m_host.Page();
    return state.dump();
}
