// The typist's key pattern of the key-delay benchmark (bench/app/KeyPattern.h), typed side by
// side into today's program, the receiver and optionally an older program.
//
//   app_bench.exe --pattern WORDS_FILE BATCHES KEYS ORDER TODAY_DIR [BEFORE_DIR] [ORDER TODAY_DIR [BEFORE_DIR]]...
//
// For each ORDER (a name without a backslash, e.g. "ranked"): TODAY_DIR holds today's Pennivox.exe
// with its Zel.dll, pvrecv.exe and Libs, BEFORE_DIR an older Pennivox.exe with its own Zel.dll and
// Libs; each folder's Config.ini sets the order. BATCHES batches of KEYS keys per party.
#pragma once

namespace keypattern {

// Prints the table; non-zero when keys were lost or a party could not be measured.
int RunKeyPattern(int argc, char** argv);

}  // namespace keypattern
