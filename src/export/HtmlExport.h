#pragma once

#include <string>
#include <string_view>

#include "export/ByteSink.h"
#include "export/HtmlColors.h"
#include "scan/DemoTables.h"

namespace obitrak {

// `text` with the characters that HTML gives a meaning (& < > ") written as entities.
std::string htmlEscaped(std::string_view text);

class RankedPlayers;

// The frag matrix and the kills per weapon (of `weapons`, the demo's) of the ranked players,
// as tables of the HTML description in the given colours (the tables tallied for all
// weapons beforehand).
void WriteHtmlFragMatrix(const RankedPlayers& ranked, const HtmlHexColors& hex, ByteSink& out);
void WriteHtmlWeaponTable(const RankedPlayers& ranked, const WeaponSet& weapons,
                          const HtmlHexColors& hex, ByteSink& out);

// Writes the HTML description of the loaded demo in the given colours: header table with
// the player list, team scores in team play, the frag matrix and the kills per weapon of
// the demo's weapons. The statistics are those of the tables as they stand: the caller
// tallies them for the report first (recomputeAllWeapons), as for the text description.
void WriteHtmlDescription(const DemoTables& tables, const std::string& demoPath, bool teamPlay,
                          const HtmlColorSet& colors, ByteSink& out);

// Writes the HTML description to `outputPath`, created or truncated.
void ExportHtmlDescription(const DemoTables& tables, const std::string& demoPath, bool teamPlay,
                           const HtmlColorSet& colors, const std::string& outputPath);

}  // namespace obitrak
