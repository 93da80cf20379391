#pragma once

#include <string>

#include "export/ByteSink.h"
#include "scan/DemoTables.h"

namespace obitrak {

// Writes the text description of the loaded demo: header, players, frags with kills and
// deaths (per team in team play), the frag matrix and the kills per weapon. The statistics
// are first recomputed for all weapons in the chosen mode, which rewrites the players'
// counters, teams and ranks.
void WriteTextDescription(DemoTables& tables, const std::string& demoPath, bool teamPlay,
                          ByteSink& out);

// Writes the text description to `outputPath`, created or truncated.
void ExportTextDescription(DemoTables& tables, const std::string& demoPath, bool teamPlay,
                           const std::string& outputPath);

}  // namespace obitrak
