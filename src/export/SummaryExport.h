#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/ByteSink.h"
#include "export/HtmlColors.h"
#include "stats/Summary.h"

namespace obitrak {

class PhrasePack;

// The version of the JSON summary's layout; raised when a field changes meaning or goes.
inline constexpr int kJsonSummaryVersion = 1;

// The summary as text: the players' totals, their kills per weapon and between each
// other, and one row per demo, each in aligned columns. Lines end with CR LF; control
// characters of names and level texts are written as blanks so that no column slips.
void WriteTextSummary(const Summary& summary, ByteSink& out);

// The summary as an HTML page in the colours of the HTML description, every table
// sortable by a click on a column's heading; every text is written escaped.
void WriteHtmlSummary(const Summary& summary, const HtmlColorSet& colors, ByteSink& out);

// The summary for scripts ("format": "obitrak-summary"); `pack` is the death-message
// pack the demos were analysed with, if any.
void WriteJsonSummary(const Summary& summary, const PhrasePack* pack, ByteSink& out);

// The summary's date of a modification time in the JSON form "YYYY-MM-DDTHH:MM:SSZ".
std::string summaryTimestamp(const FileTime& modified);

// A rating and its deviation as the summaries show them: whole numbers, empty when the
// person has no rating.
std::string ratingText(const std::optional<Rating>& rating);
std::string deviationText(const std::optional<Rating>& rating);

// JSON texts of the summary that the site's files share: a number with `decimals`
// decimals, a rating (null when there is none), a list of strings, a demo's result.
std::string jsonNumber(double value, int decimals);
std::string jsonRating(const std::optional<Rating>& rating);
std::string jsonStrings(const std::vector<std::string>& texts);
std::string jsonResult(const DemoOutcome& result);

}  // namespace obitrak
