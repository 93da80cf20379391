#pragma once

#include <string>

namespace obitrak {

class PhrasePack;

// What a stored result was analysed with: the program's version and a digest of the
// built-in phrases and of the death-message pack that counted it (its name, weapons and
// lines). A result whose version differs from the one of the pack that would count the demo
// now is scanned again.
std::string AnalysisVersion(const PhrasePack* pack);

}  // namespace obitrak
