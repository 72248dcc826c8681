// espanso match files: `matches:` (and `global_vars:`), read through libyaml's document API so
// that anchors, aliases and every quoting style arrive resolved; written through its emitter.

#include <yaml.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "dict/interchange/InterchangeText.h"
#include "dict/interchange/ShorthandInterchange.h"

namespace interchange {

namespace {

// Merge keys ("<<: *defaults") nest no deeper than this; past it they are ignored (and a
// self-referring alias cannot loop).
constexpr int kMaxMergeDepth = 8;
constexpr int kMaxMergeVisits = 32;

class CYamlDocument {
public:
    // False with the parser's message in `problem` for text that is not YAML.
    bool Load(std::string_view text, std::string& problem)
    {
        yaml_parser_t parser;
        if (!yaml_parser_initialize(&parser)) {
            problem = "Out of memory.";
            return false;
        }
        yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(text.data()), text.size());
        m_loaded = yaml_parser_load(&parser, &m_document) != 0;
        if (!m_loaded) {
            problem = "Not YAML: " + std::string(parser.problem ? parser.problem : "broken text") + " (line " +
                      std::to_string(parser.problem_mark.line + 1) + ").";
        }
        yaml_parser_delete(&parser);
        return m_loaded;
    }
    ~CYamlDocument()
    {
        if (m_loaded)
            yaml_document_delete(&m_document);
    }
    yaml_node_t* Root() { return m_loaded ? yaml_document_get_root_node(&m_document) : nullptr; }
    yaml_node_t* Node(int index) { return yaml_document_get_node(&m_document, index); }

    // The scalar's text, else empty.
    static std::string_view Text(const yaml_node_t* node)
    {
        if (!node || node->type != YAML_SCALAR_NODE)
            return {};
        return {reinterpret_cast<const char*>(node->data.scalar.value), node->data.scalar.length};
    }
    static bool IsScalar(const yaml_node_t* node) { return node && node->type == YAML_SCALAR_NODE; }
    static int Line(const yaml_node_t* node) { return node ? static_cast<int>(node->start_mark.line) + 1 : 0; }

    // The value of a mapping's key, merge keys ("<<") followed; null when it has none.
    yaml_node_t* Value(yaml_node_t* mapping, std::string_view key)
    {
        int budget = kMaxMergeVisits;
        return Value(mapping, key, 0, budget);
    }

    template <class Visit>
    void ForEachItem(yaml_node_t* sequence, Visit visit)
    {
        if (!sequence || sequence->type != YAML_SEQUENCE_NODE)
            return;
        for (yaml_node_item_t* item = sequence->data.sequence.items.start; item < sequence->data.sequence.items.top;
             ++item)
            if (yaml_node_t* node = Node(*item))
                visit(node);
    }

private:
    // Merges may nest and fan out: a budget of mappings looked at keeps any file linear.
    yaml_node_t* Value(yaml_node_t* mapping, std::string_view key, int depth, int& budget)
    {
        if (!mapping || mapping->type != YAML_MAPPING_NODE || depth > kMaxMergeDepth || --budget < 0)
            return nullptr;
        yaml_node_t* merged = nullptr;
        for (yaml_node_pair_t* pair = mapping->data.mapping.pairs.start; pair < mapping->data.mapping.pairs.top;
             ++pair) {
            const std::string_view name = Text(Node(pair->key));
            if (name == key)
                return Node(pair->value);
            if (name == "<<" && !merged)
                merged = Node(pair->value);
        }
        if (!merged)
            return nullptr;
        if (merged->type != YAML_SEQUENCE_NODE)
            return Value(merged, key, depth + 1, budget);
        for (yaml_node_item_t* item = merged->data.sequence.items.start; item < merged->data.sequence.items.top; ++item)
            if (yaml_node_t* value = Value(Node(*item), key, depth + 1, budget))
                return value;
        return nullptr;
    }

    yaml_document_t m_document{};
    bool m_loaded = false;
};

bool IsTrue(std::string_view text)
{
    return text == "true" || text == "True" || text == "TRUE" || text == "yes" || text == "Yes" || text == "on";
}

// A variable's value in this program's terms, or why it has none.
struct VariableValue {
    std::string text;
    std::string unsupported;
};

// An espanso date format ("%d/%m/%Y") in date macros.
VariableValue DateFormatMacros(std::string_view format)
{
    VariableValue value;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            value.text += format[i];
            continue;
        }
        std::size_t length = i + 1 < format.size() && format[i + 1] == '-' ? 3 : 2;
        const std::string_view code = format.substr(i, length);
        if (code == "%%") {
            value.text += '%';
        } else if (const std::string macro = DateMacroOfStrftime(code); !macro.empty()) {
            value.text += macro;
        } else {
            value.unsupported = "the date code " + std::string(code) + " has no date macro";
            return value;
        }
        i += length - 1;
    }
    return value;
}

class CEspansoReader {
public:
    explicit CEspansoReader(std::string_view text) { Read(text); }
    ShorthandReading Take() { return std::move(m_reading); }

private:
    void Read(std::string_view text)
    {
        if (!m_yaml.Load(text, m_reading.problem))
            return;
        yaml_node_t* root = m_yaml.Root();
        if (!root || (root->type == YAML_SCALAR_NODE && CYamlDocument::Text(root).empty()))
            return;  // an empty document: nothing to take
        if (root->type != YAML_MAPPING_NODE) {
            m_reading.problem = "Not an espanso match file: no \"matches:\".";
            return;
        }
        m_yaml.ForEachItem(m_yaml.Value(root, "global_vars"), [&](yaml_node_t* variable) {
            const std::string name(CYamlDocument::Text(m_yaml.Value(variable, "name")));
            if (!name.empty())
                m_globals.emplace(name, variable);
        });
        m_yaml.ForEachItem(m_yaml.Value(root, "matches"), [&](yaml_node_t* match) { ReadMatch(match); });
    }

    void ReadMatch(yaml_node_t* match)
    {
        const int line = CYamlDocument::Line(match);
        std::vector<std::string> triggers;
        if (yaml_node_t* trigger = m_yaml.Value(match, "trigger"); CYamlDocument::IsScalar(trigger))
            triggers.emplace_back(CYamlDocument::Text(trigger));
        m_yaml.ForEachItem(m_yaml.Value(match, "triggers"), [&](yaml_node_t* trigger) {
            if (CYamlDocument::IsScalar(trigger))
                triggers.emplace_back(CYamlDocument::Text(trigger));
        });
        const std::string what = triggers.empty() ? std::string() : triggers.front();
        if (const char* reason = UnsupportedKind(match)) {
            Skip(m_reading, line, what.empty() ? "(match)" : what, reason);
            return;
        }
        if (triggers.empty()) {
            Skip(m_reading, line, "(match)", "it has no trigger");
            return;
        }
        yaml_node_t* replace = m_yaml.Value(match, "replace");
        if (!CYamlDocument::IsScalar(replace)) {
            Skip(m_reading, line, what, "it has no replacement text");
            return;
        }
        std::string reason;
        std::string text = Expand(match, CYamlDocument::Text(replace), reason);
        if (!reason.empty()) {
            Skip(m_reading, line, what, reason);
            return;
        }
        ShorthandEntry entry;
        entry.text = CrLfBreaks(text);
        entry.wordBoundary = IsTrue(CYamlDocument::Text(m_yaml.Value(match, "word")));
        entry.propagateCase = IsTrue(CYamlDocument::Text(m_yaml.Value(match, "propagate_case")));
        for (std::string& trigger : triggers) {
            if (trigger.empty()) {
                Skip(m_reading, line, "(match)", "its trigger is empty");
                continue;
            }
            entry.abbreviation = std::move(trigger);
            m_reading.entries.push_back(entry);
        }
    }

    // Why a match cannot become a shorthand by what it is, or null.
    const char* UnsupportedKind(yaml_node_t* match)
    {
        if (m_yaml.Value(match, "regex"))
            return "its trigger is a regular expression";
        if (m_yaml.Value(match, "form") || m_yaml.Value(match, "form_fields"))
            return "it asks with a form";
        if (m_yaml.Value(match, "image_path"))
            return "it inserts an image";
        if (m_yaml.Value(match, "html") || m_yaml.Value(match, "markdown"))
            return "its text is formatted (HTML or Markdown)";
        return nullptr;
    }

    // The replacement with its variables put in and "$|$" as the caret; reason set when it cannot be.
    std::string Expand(yaml_node_t* match, std::string_view replace, std::string& reason)
    {
        std::map<std::string, yaml_node_t*, std::less<>> locals;
        m_yaml.ForEachItem(m_yaml.Value(match, "vars"), [&](yaml_node_t* variable) {
            locals.emplace(std::string(CYamlDocument::Text(m_yaml.Value(variable, "name"))), variable);
        });
        std::string out;
        bool caret = false;
        for (std::size_t i = 0; i < replace.size();) {
            if (replace.compare(i, 3, "$|$") == 0) {
                if (caret) {
                    reason = "it has more than one cursor marker $|$";
                    return {};
                }
                caret = true;
                out += kCaretMacro;
                i += 3;
                continue;
            }
            if (replace.compare(i, 2, "{{") == 0) {
                const std::size_t end = replace.find("}}", i + 2);
                if (end == std::string_view::npos) {
                    out += replace.substr(i);
                    break;
                }
                std::string_view name = replace.substr(i + 2, end - i - 2);
                while (!name.empty() && name.front() == ' ')
                    name.remove_prefix(1);
                while (!name.empty() && name.back() == ' ')
                    name.remove_suffix(1);
                const auto local = locals.find(name);
                const auto global = m_globals.find(name);
                yaml_node_t* variable = local != locals.end()       ? local->second
                                        : global != m_globals.end() ? global->second
                                                                    : nullptr;
                if (!variable) {
                    reason = "it uses the variable " + std::string(name) + ", which it does not define";
                    return {};
                }
                const VariableValue value = ValueOf(variable);
                if (!value.unsupported.empty()) {
                    reason = value.unsupported;
                    return {};
                }
                out += value.text;
                i = end + 2;
                continue;
            }
            out += replace[i++];
        }
        return out;
    }

    VariableValue ValueOf(yaml_node_t* variable)
    {
        const std::string_view type = CYamlDocument::Text(m_yaml.Value(variable, "type"));
        yaml_node_t* params = m_yaml.Value(variable, "params");
        VariableValue value;
        if (type == "date") {
            if (m_yaml.Value(params, "offset") || m_yaml.Value(params, "locale"))
                value.unsupported = "its date has an offset or a locale, which the date macros lack";
            else
                value = DateFormatMacros(CYamlDocument::Text(m_yaml.Value(params, "format")));
        } else if (type == "echo") {
            value.text = CYamlDocument::Text(m_yaml.Value(params, "echo"));
        } else if (type == "shell") {
            value.unsupported = "it runs a shell command";
        } else if (type == "script") {
            value.unsupported = "it runs a script";
        } else if (type == "form") {
            value.unsupported = "it asks with a form";
        } else if (type == "clipboard") {
            value.unsupported = "it pastes the clipboard";
        } else if (type == "choice") {
            value.unsupported = "it asks for a choice";
        } else if (type == "random") {
            value.unsupported = "it picks a text at random";
        } else if (type == "match") {
            value.unsupported = "it nests another match";
        } else {
            value.unsupported = "its variable type \"" + std::string(type) + "\" has no equal here";
        }
        return value;
    }

    CYamlDocument m_yaml;
    ShorthandReading m_reading;
    std::map<std::string, yaml_node_t*, std::less<>> m_globals;
};

// The emitter's events, one call each; `failed` once any went wrong.
class CYamlWriter {
public:
    CYamlWriter()
    {
        m_ready = yaml_emitter_initialize(&m_emitter) != 0;
        if (!m_ready)
            return;
        yaml_emitter_set_output(&m_emitter, &CYamlWriter::Append, &m_text);
        yaml_emitter_set_unicode(&m_emitter, 1);
        yaml_emitter_set_width(&m_emitter, -1);
        yaml_emitter_set_indent(&m_emitter, 2);
        yaml_stream_start_event_initialize(&m_event, YAML_UTF8_ENCODING);
        Emit();
        yaml_document_start_event_initialize(&m_event, nullptr, nullptr, nullptr, 1);
        Emit();
    }
    ~CYamlWriter()
    {
        if (m_ready)
            yaml_emitter_delete(&m_emitter);
    }
    CYamlWriter(const CYamlWriter&) = delete;
    CYamlWriter& operator=(const CYamlWriter&) = delete;

    void Scalar(std::string_view text, bool quoted = true)
    {
        yaml_scalar_event_initialize(&m_event, nullptr, nullptr, reinterpret_cast<const yaml_char_t*>(text.data()),
                                     static_cast<int>(text.size()), 1, 1,
                                     quoted ? YAML_DOUBLE_QUOTED_SCALAR_STYLE : YAML_PLAIN_SCALAR_STYLE);
        Emit();
    }
    void Pair(std::string_view key, std::string_view value, bool quoted = true)
    {
        Scalar(key, false);
        Scalar(value, quoted);
    }
    void StartMapping()
    {
        yaml_mapping_start_event_initialize(&m_event, nullptr, nullptr, 1, YAML_BLOCK_MAPPING_STYLE);
        Emit();
    }
    void EndMapping()
    {
        yaml_mapping_end_event_initialize(&m_event);
        Emit();
    }
    void StartSequence()
    {
        yaml_sequence_start_event_initialize(&m_event, nullptr, nullptr, 1, YAML_BLOCK_SEQUENCE_STYLE);
        Emit();
    }
    void EndSequence()
    {
        yaml_sequence_end_event_initialize(&m_event);
        Emit();
    }
    std::string Finish()
    {
        yaml_document_end_event_initialize(&m_event, 1);
        Emit();
        yaml_stream_end_event_initialize(&m_event);
        Emit();
        return m_ready ? std::move(m_text) : std::string();
    }

private:
    static int Append(void* data, unsigned char* buffer, size_t size)
    {
        static_cast<std::string*>(data)->append(reinterpret_cast<const char*>(buffer), size);
        return 1;
    }
    void Emit()
    {
        if (m_ready && !yaml_emitter_emit(&m_emitter, &m_event))
            m_ready = false;
    }

    yaml_emitter_t m_emitter{};
    yaml_event_t m_event{};
    std::string m_text;
    bool m_ready = false;
};

// An entry's text in espanso's terms: the replacement and the date variables it needs (the macro
// names, in order of first use); why not when it cannot be held.
struct EspansoText {
    std::string replace;
    std::vector<std::string> dateMacros;
    std::string notHeld;
};

std::string VariableName(std::string_view macro)
{
    std::string name(macro.substr(1, macro.size() - 2));
    for (char& c : name)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name;
}

EspansoText ToEspanso(std::string_view text)
{
    EspansoText out;
    if (text.find("$|$") != std::string_view::npos || text.find("{{") != std::string_view::npos) {
        out.notHeld = "its text holds \"$|$\" or \"{{\", which espanso reads as markers";
        return out;
    }
    bool caret = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t macro = MacroAt(text, i);
        if (macro == 0) {
            out.replace += text[i++];
            continue;
        }
        const std::string_view name = text.substr(i, macro);
        i += macro;
        if (name == kCaretMacro) {
            if (caret) {
                out.notHeld = "it has more than one %CARET%";
                return out;
            }
            caret = true;
            out.replace += "$|$";
        } else if (IsDateMacro(name)) {
            out.replace += "{{" + VariableName(name) + "}}";
            if (std::find(out.dateMacros.begin(), out.dateMacros.end(), name) == out.dateMacros.end())
                out.dateMacros.emplace_back(name);
        } else {
            out.notHeld = "espanso types no key like " + std::string(name);
            return out;
        }
    }
    out.replace = LfBreaks(out.replace);
    return out;
}

}  // namespace

ShorthandReading ReadEspanso(std::string_view text)
{
    return CEspansoReader(text).Take();
}

ShorthandWriting WriteEspanso(const std::vector<ShorthandEntry>& entries)
{
    ShorthandWriting writing;
    CYamlWriter yaml;
    yaml.StartMapping();
    yaml.Scalar("matches", false);
    yaml.StartSequence();
    int place = 0;
    for (const ShorthandEntry& entry : entries) {
        ++place;
        const EspansoText text = ToEspanso(entry.text);
        if (!text.notHeld.empty()) {
            writing.notHeld.push_back({place, entry.abbreviation, text.notHeld});
            continue;
        }
        ++writing.written;
        yaml.StartMapping();
        yaml.Pair("trigger", entry.abbreviation);
        yaml.Pair("replace", text.replace);
        if (entry.wordBoundary)
            yaml.Pair("word", "true", false);
        if (entry.propagateCase)
            yaml.Pair("propagate_case", "true", false);
        if (!text.dateMacros.empty()) {
            yaml.Scalar("vars", false);
            yaml.StartSequence();
            for (const std::string& macro : text.dateMacros) {
                yaml.StartMapping();
                yaml.Pair("name", VariableName(macro), false);
                yaml.Pair("type", "date", false);
                yaml.Scalar("params", false);
                yaml.StartMapping();
                yaml.Pair("format", StrftimeOfDateMacro(macro));
                yaml.EndMapping();
                yaml.EndMapping();
            }
            yaml.EndSequence();
        }
        yaml.EndMapping();
    }
    yaml.EndSequence();
    yaml.EndMapping();
    writing.text = yaml.Finish();
    return writing;
}

}  // namespace interchange
