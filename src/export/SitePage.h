#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "export/ByteSink.h"
#include "scan/DemoTables.h"
#include "scan/Weapons.h"
#include "stats/Glicko2.h"
#include "stats/Results.h"

namespace obitrak {

// The pieces every page of the site is made of. Pages are UTF-8 and plain ASCII: names and
// level texts show the game's characters as the nearest plain ones (as the windows do),
// escaped for HTML; nothing is loaded from elsewhere but the site's own style sheet and
// script beside the pages.

inline constexpr std::string_view kSiteStyleSheet = "obitrak.css";
inline constexpr std::string_view kSiteScript = "obitrak.js";
inline constexpr std::string_view kSiteIndex = "index.html";
inline constexpr std::string_view kSiteSummary = "summary.json";

// The bytes of the style sheet and the script.
std::string siteStyleSheetText();
std::string siteScriptText();

// A text of a demo as the pages show it: the game's characters read as plain ones, a line
// feed as " / ", escaped for HTML.
std::string siteText(std::string_view bytes);

// A path for a link: every byte but letters, digits, "-._~" and "/" percent-encoded.
std::string urlEncoded(std::string_view bytes);

// A link whose target and text are both given ready for HTML.
std::string siteLink(std::string_view href, std::string_view html);

// Gives pages their file names: a prefix, a readable part of the key, and its digest, so
// that no key can reach outside the site's folder; two keys never share a name, the later
// one taking a numbered name should their digests meet.
class SiteNames {
 public:
  // The page of `key` (a person's shown name, a map, a demo's library key), without
  // extension: the prefix, letters and digits of `readable` (the key when empty), and the
  // key's digest.
  std::string nameOf(std::string_view prefix, const std::string& key,
                     std::string_view readable = {});

 private:
  std::unordered_map<std::string, std::string> m_owner;  // file name -> key
  std::unordered_map<std::string, std::string> m_given;  // prefix, NUL, key -> file name
};

// Starts a page: its title and heading (both given ready for HTML) and the site's links.
void sitePageStart(ByteSink& out, std::string_view titleHtml);
void sitePageEnd(ByteSink& out);

// A table whose headings sort it where scripts run.
struct SiteColumn {
  std::string_view heading;
  bool numeric = false;
};
void siteTableStart(ByteSink& out, const std::vector<SiteColumn>& columns);
void siteTableEnd(ByteSink& out);
std::string siteCell(std::string_view html);
std::string siteNumberCell(std::int64_t value);
// A number cell with a text of its own that sorts by `value`.
std::string siteNumberCell(double value, std::string_view text);

// The sides of a result in a line ("claire 12, shloo 8"), the first few of a free-for-all.
std::string siteResultText(const DemoOutcome& result);

// The weapons of a match as the pages show them, in order: its WeaponIndex, label and name.
// Every weapon column of a match comes from here.
struct SiteWeapon {
  int index = 0;
  std::string_view label;
  std::string_view name;
};
std::vector<SiteWeapon> siteWeapons(const WeaponSet& weapons);

// The frags of each ranked player over the demo as an inline SVG chart (the tables tallied
// in the mode shown).
std::string siteFragsChart(const DemoTables& tables, bool teamPlay);

// A person's rating after each day he played, with the band of one deviation around it.
std::string siteRatingChart(const std::vector<RatingPoint>& history);

}  // namespace obitrak
