#pragma once
// Copies of a dictionary in another stored form: the same entries and properties in a file whose
// keys and data are stored scrambled, or as UTF-8.

#include <string>

#include "dict/CodePage.h"

// Writes the copy as a fresh file beside the target and moves it over the target only when it is
// complete: an existing target is replaced, and a failure leaves it as it was. Every entry is
// copied, whatever its key length. The copy keeps the source's description, caption, type and edit
// flags and stores its text in the code page (the defaults of a new file). False when the source
// cannot be opened (nothing is written then) or the copy cannot be made.
bool CopyEncrypted(const std::string& sourcePath, const std::string& targetPath,
                   const CCodePage& codePage = SystemCodePage());

// The same entries and properties with keys and data stored as UTF-8 (scrambled when the source
// is): what an ANSI file becomes to hold text beyond its code page. Written and moved as above.
bool CopyAsUtf8(const std::string& sourcePath, const std::string& targetPath,
                const CCodePage& codePage = SystemCodePage());
