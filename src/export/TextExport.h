#pragma once

#include <string>

#include "export/ByteSink.h"
#include "scan/DemoTables.h"

namespace obitrak {

// Writes the text description of the loaded demo: header, players, frags with kills and
// deaths (per team in team play), the frag matrix and the kills per weapon of the demo's
// weapons. The statistics are those of the tables as they stand: the caller tallies them
// for the report first (recomputeAllWeapons).
void WriteTextDescription(const DemoTables& tables, const std::string& demoPath, bool teamPlay,
                          ByteSink& out);

// Writes the text description to `outputPath`, created or truncated.
void ExportTextDescription(const DemoTables& tables, const std::string& demoPath, bool teamPlay,
                           const std::string& outputPath);

}  // namespace obitrak
