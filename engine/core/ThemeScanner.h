// Reading a theme file's bytes into a Document: the encoding check, then line by line, section
// headers with their schemes and `key = value` entries, each value read by the key it sets.
#pragma once

#include <string_view>

#include "ThemeDiagnostics.h"
#include "ThemeDocument.h"

namespace velum::parse {

// Returns false when the text can't be scanned at all; the reason is already reported.
bool ScanDocument(std::string_view bytes, Document& doc, Reporter& report);

}  // namespace velum::parse
