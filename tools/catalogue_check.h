// The loading rules of each catalogue file, walked element by element to
// tell a person what the library's loader passes over, drops or reads
// differently from what the text says, with the line of each element.
//
// The walk follows the loaders: the same tags, the same order, the same
// field counts, the same "first one wins" for duplicates, and the library's
// own value text rules (catalogue/value_text.h) to say what a text reads as.
#ifndef TOOLS_CATALOGUE_CHECK_H_
#define TOOLS_CATALOGUE_CHECK_H_

#include <string>

#include "tools/file_kind.h"
#include "tools/findings.h"

namespace zarvtool {

// Checks a well-formed XML file as a catalogue of `kind` (a catalogue kind
// or kEmptyCatalogue). Findings go to `out`.
void CheckCatalogue(const std::string& path, FileKind kind, Findings& out);

}  // namespace zarvtool

#endif  // TOOLS_CATALOGUE_CHECK_H_
