// pvengine's lines: one JSON object in per event, one JSON object out after it.
//   in:  {"type": "text"}  {"key": "F1"}  {"reset": true}
//   out: {"text": "...", "rows": [{"text": "...", "kind": 1}], "selected": 0, "page": 0}
//        {"error": "..."} for a line that is not one of the events (the engine goes on).
#pragma once

#include <cstddef>
#include <string>

class CHeadlessHost;

class CProtocol {
public:
    // Text in and out is UTF-8. tail: the "text" carries only the edit's last tail characters
    // (0: all of it).
    CProtocol(CHeadlessHost& host, std::size_t tail) : m_host(host), m_tail(tail) {}
    // Runs one input line and returns the output line (without its line break).
    std::string Handle(const std::string& line);

    // The virtual key and the character the hook reports for a key name; false for no such key.
    static bool KeyByName(const std::string& name, unsigned& vk, char& ch);

private:
    std::string State() const;
    static std::string Error(const std::string& message);

    CHeadlessHost& m_host;
    std::size_t m_tail;
};
