#pragma once
// pvdict: makes, lists and searches dictionary files from the command line.
//
//   pvdict create FILE [--type N] [--keycode N] [--datacode N] [--edit N] [--encrypt]
//                      [--caption TEXT] [--description TEXT] [--from ROWS.tsv] [--input ansi|utf8]
//                      [--ranks RANKS.tsv] [--force]
//   pvdict dump [--raw] FILE
//   pvdict search [--mode N] [--limit N] [--no-shorthand] [--lengths MIN,MAX] [--ranked] QUERY FILE...
//                 (--ranked: the most likely first, each line ending with its rank)
//   pvdict import [--existing keep|replace|both] [--dry-run] FILE DICT
//   pvdict export --format espanso|ahk|csv|words DICT FILE
//
// Rows are "key<TAB>data" with the escapes \\ \t \r \n \xHH, in the ANSI code page or in UTF-8.
// Ranks are "key<TAB>rank" lines in the same form: the rank of the rows with that key.

#include <cstdio>
#include <string>
#include <vector>

// Exit codes.
constexpr int PVDICT_OK = 0;
constexpr int PVDICT_FAILED = 1;     // a file could not be read or written
constexpr int PVDICT_BAD_USAGE = 2;  // bad arguments or bad input rows

// Runs one command; args exclude the program name. Rows are read from `in` when no
// --from file is given; output goes to `out`, one-line error messages to `err`.
int RunPvdict(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err);
