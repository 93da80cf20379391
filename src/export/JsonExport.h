#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/ByteSink.h"
#include "scan/DemoTables.h"

namespace obitrak {

// The version of the JSON report's layout; raised when a field changes meaning or goes.
inline constexpr int kJsonReportVersion = 1;

// `bytes` as a JSON string literal: each byte becomes the code point of the same value,
// written in UTF-8, so nothing is lost and every JSON parser reads it.
std::string jsonString(std::string_view bytes);

// One member of an object on a line of its own, `indent` spaces in: `"key": value`, then a
// comma unless it is the `last` member.
void writeJsonField(ByteSink& out, std::string_view key, std::string_view value, int indent = 2,
                    bool last = false);

// A member whose value is a list of `items` (each already JSON), one item per line.
void writeJsonList(ByteSink& out, std::string_view key, const std::vector<std::string>& items,
                   bool last = false, int indent = 2);

// Writes the machine-readable report of the loaded demo: header, notices, players (with
// their kills by hit location where the pack that counted the demo tells them), kill
// counts, the totals of the demo's weapons and the message log, and the name of that pack.
// The statistics are those of the tables as they stand: the caller tallies them for the
// report first (recomputeAllWeapons), as for the descriptions.
void WriteJsonReport(const DemoTables& tables, const std::string& demoPath, bool teamPlay,
                     const std::vector<std::string>& notices, ByteSink& out);

// Kills by HitLocation 1..4 as a JSON object: {"head": 3, "chest": 1, "stomach": 0, "legs": 2}.
std::string jsonHitLocations(const std::array<std::int64_t, kHitLocations + 1>& kills);

}  // namespace obitrak
