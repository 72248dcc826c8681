// Values shared by the completion engine and the program that drives it (the engine thread's host
// and pvengine).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/SettingsRecord.h"
#include "dict/DictionaryMatch.h"

// Window handles cross the engine as opaque numbers (HWND cast to uintptr_t on Windows).
using WindowHandle = std::uintptr_t;

// Kinds of candidates: the two dictionary types, then the engine's own. The list icon of a
// candidate is image kind - 1.
constexpr int KIND_WORD = DICTIONARY_WORDS;           // 1: word or phrase
constexpr int KIND_SHORTHAND = DICTIONARY_SHORTHAND;  // 2
constexpr int KIND_FILE = 3;
constexpr int KIND_FOLDER = 4;
constexpr int KIND_LEARNT = 5;

// How CompleteSelection types the pending text.
enum CompletionMode {
    MODE_EXPAND = 0,   // delete the typed key, type the text, forget the typed text
    MODE_APPEND = 1,   // type what the text has beyond the typed key
    MODE_REPLACE = 2,  // delete the typed key, type the text
    MODE_FOLDER = 3,   // delete the typed part of the name, type the folder name and a backslash
    MODE_FILE = 4,     // delete the typed part of the name, type the file name
};

// Selection codes of the prompt keys besides the row numbers 0 ... 9.
constexpr int kSelectPrevious = -1;
constexpr int kSelectNext = -2;
constexpr int kSelectPreviousPage = -4;
constexpr int kSelectNextPage = -5;
constexpr int kSelectCurrent = -6;

// Preview styles.
constexpr int PREVIEW_NORMAL = 1;
constexpr int PREVIEW_SHORTHAND = 2;

// The engine works on its own copy of the settings record.
using EngineSettings = SettingsRecord;

// What the prompt's row labels say for an index key: "F1" for F1, "1" for the digit key 1 (also
// on the number pad), the letter of a letter key; "" for keys without a short name.
std::string IndexKeyLabel(unsigned vk);
// The labels of the ten index keys, in row order.
std::vector<std::string> IndexKeyLabels(const SelectionKeys& keys);

// One row of the prompt list.
struct PromptRow {
    std::string text;  // the candidate's key
    int image = 0;     // kind - 1
};

// One entry of a folder listing.
struct DirectoryEntry {
    std::string name;
    std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
};

constexpr std::uint32_t kFileAttributeDirectory = 0x10;
