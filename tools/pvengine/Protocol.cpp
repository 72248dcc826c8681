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
        const std::string text = event["type"].get<std::string>();
        const CCodePage& utf8 = Utf8CodePage();
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t length = utf8.CharLength(text, i);
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))  // CR LF is one Return
                m_host.TypeCharacter(text.substr(i, length));
            i += length;
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
    // Back over tail characters (a character's continuation bytes do not count).
    std::size_t from = all.size();
    for (std::size_t characters = 0; m_tail && from > 0 && characters < m_tail; ++characters) {
        do
            --from;
        while (from > 0 && (static_cast<unsigned char>(all[from]) & 0xC0) == 0x80);
    }
    if (!m_tail)
        from = 0;
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const PromptRow& row : m_host.VisibleRows())
        rows.push_back({{"text", row.text}, {"kind", row.image + 1}});
    nlohmann::ordered_json state;
    state["text"] = all.substr(from);
    state["rows"] = std::move(rows);
    state["selected"] = m_host.Selected();
    state["page"] = m_host.Page();
    return state.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
