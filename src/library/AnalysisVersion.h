#pragma once

#include <string>

namespace obitrak {

class PhrasePack;

// What a stored result was analysed with: the program's version and a digest of the
// built-in phrases and of the death-message pack's lines. A result whose version differs
// from the current one is scanned again.
std::string AnalysisVersion(const PhrasePack* pack);

}  // namespace obitrak
