#include "export/SitePage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "export/HtmlExport.h"
#include "export/ProgramInfo.h"
#include "export/SiteFolder.h"
#include "export/SortScript.h"
#include "scan/GameCharacters.h"
#include "scan/Phrases.h"
#include "stats/Results.h"
#include "stats/TimeGraph.h"

namespace obitrak {

namespace {

constexpr std::size_t kReadablePart = 24;
constexpr int kChartWidth = 720;
constexpr int kFragsChartHeight = 320;
constexpr int kRatingChartHeight = 220;
constexpr int kRatingMargin = 44;
constexpr int kRatingTop = 20;
constexpr std::size_t kRatingDots = 60;  // more days than this show as a line only

// The curves' colours, in the order of the places.
constexpr std::string_view kCurveColours[] = {"#d62728", "#1f77b4", "#2ca02c", "#ff7f0e",
                                              "#9467bd", "#8c564b", "#e377c2", "#17becf",
                                              "#bcbd22", "#7f7f7f"};

constexpr std::string_view kStyleSheet =
    "body { font-family: sans-serif; margin: 0 auto; max-width: 62em; padding: 0 0.7em;\n"
    "  line-height: 1.4; color: #222; background: #fbfbf8; }\n"
    "nav { padding: 0.6em 0; border-bottom: 1px solid #ccc; }\n"
    "nav a { margin-right: 1em; }\n"
    "h1 { font-size: 1.5em; overflow-wrap: anywhere; }\n"
    "h2 { font-size: 1.15em; margin-top: 1.4em; }\n"
    ".scroll { overflow-x: auto; }\n"
    "table.t { border-collapse: collapse; margin: 0.4em 0; }\n"
    "table.t th, table.t td { padding: 0.2em 0.55em; border-bottom: 1px solid #ddd;\n"
    "  text-align: left; white-space: nowrap; }\n"
    "table.t th { cursor: pointer; background: #ecece6; }\n"
    "table.t td.n, table.t th.n { text-align: right; }\n"
    "dl.facts { display: grid; grid-template-columns: max-content 1fr; gap: 0.15em 1em; }\n"
    "dl.facts dt { font-weight: bold; }\n"
    "dl.facts dd { margin: 0; overflow-wrap: anywhere; }\n"
    "svg { width: 100%; height: auto; max-width: 720px; display: block; }\n"
    "svg text { font: 11px sans-serif; fill: #333; }\n"
    "footer { margin: 2em 0 1em; color: #777; font-size: 0.85em; }\n";

std::string number(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string readablePart(std::string_view key) {
  std::string out;
  for (char c : key) {
    const char plain =
        static_cast<char>(std::tolower(gameCharacter(static_cast<unsigned char>(c))));
    const bool keep = (plain >= 'a' && plain <= 'z') || (plain >= '0' && plain <= '9');
    if (keep) {
      out += plain;
    } else if (!out.empty() && out.back() != '-') {
      out += '-';
    }
    if (out.size() >= kReadablePart) break;
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out.empty() ? "x" : out;
}

std::string svgLabel(int x, int y, std::string_view text, std::string_view extra = {}) {
  return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
         "\" dominant-baseline=\"hanging\"" + std::string(extra) + ">" + siteText(text) + "</text>";
}

}  // namespace

std::string siteStyleSheetText() {
  return std::string(kStyleSheet);
}

std::string siteScriptText() {
  return std::string(kTableSortScript);
}

std::string siteText(std::string_view bytes) {
  std::string plain;
  plain.reserve(bytes.size());
  for (char c : bytes) {
    const char shown = gameCharacter(static_cast<unsigned char>(c));
    if (shown == '\n') {
      plain += " / ";
    } else {
      plain += shown;
    }
  }
  return htmlEscaped(plain);
}

std::string urlEncoded(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                       b == '-' || b == '.' || b == '_' || b == '~' || b == '/';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::string siteLink(std::string_view href, std::string_view html) {
  return "<a href=\"" + std::string(href) + "\">" + std::string(html) + "</a>";
}

std::string SiteNames::nameOf(std::string_view prefix, const std::string& key,
                              std::string_view readable) {
  const std::string id = std::string(prefix) + '\0' + key;
  const auto given = m_given.find(id);
  if (given != m_given.end()) return given->second;
  char digest[17];
  std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(siteDigest(key)));
  const std::string base =
      std::string(prefix) + "-" + readablePart(readable.empty() ? key : readable) + "-" + digest;
  std::string name = base;
  for (int n = 2; !m_owner.try_emplace(name, key).second; ++n)
    name = base + "-" + std::to_string(n);
  m_given.emplace(id, name);
  return name;
}

void sitePageStart(ByteSink& out, std::string_view titleHtml) {
  out.line("<!DOCTYPE html>");
  out.line("<html lang=\"en\">");
  out.line("<head>");
  out.line("<meta charset=\"utf-8\">");
  out.line("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
  out.line("<title>" + std::string(titleHtml) + "</title>");
  out.line("<link rel=\"stylesheet\" href=\"" + std::string(kSiteStyleSheet) + "\">");
  out.line("<script src=\"" + std::string(kSiteScript) + "\"></script>");
  out.line("</head>");
  out.line("<body>");
  out.line("<nav>" + siteLink(kSiteIndex, "Ladder and matches") +
           siteLink(kSiteSummary, "Summary (JSON)") + "</nav>");
  out.line("<h1>" + std::string(titleHtml) + "</h1>");
}

void sitePageEnd(ByteSink& out) {
  out.line("<footer>Made by " + std::string(kProgramNameVersion) + "</footer>");
  out.line("</body>");
  out.line("</html>");
}

void siteTableStart(ByteSink& out, const std::vector<SiteColumn>& columns) {
  out.line("<div class=\"scroll\"><table class=\"t\">");
  std::string row = "<thead><tr>";
  for (const SiteColumn& c : columns) {
    row += std::string(c.numeric ? "<th class=\"n\"" : "<th") + " onclick=\"sortBy(this)\">" +
           std::string(c.heading) + "</th>";
  }
  out.line(row + "</tr></thead>");
  out.line("<tbody>");
}

void siteTableEnd(ByteSink& out) {
  out.line("</tbody>");
  out.line("</table></div>");
}

std::string siteCell(std::string_view html) {
  return "<td>" + std::string(html) + "</td>";
}

std::string siteNumberCell(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return "<td class=\"n\" data-v=\"" + digits + "\">" + digits + "</td>";
}

std::string siteNumberCell(double value, std::string_view text) {
  return "<td class=\"n\" data-v=\"" + number(value, 3) + "\">" + std::string(text) + "</td>";
}

std::vector<SiteWeapon> siteWeapons(const WeaponSet& weapons) {
  std::vector<SiteWeapon> out;
  for (int w = 1; w <= weapons.count(); ++w) out.push_back({w, weapons[w].label, weapons[w].name});
  return out;
}

std::string siteFragsChart(const DemoTables& tables, bool teamPlay) {
  const TimeGraphLayout g = timeGraphLayout(tables, teamPlay, kChartWidth, kFragsChartHeight);
  std::string svg = "<svg viewBox=\"0 0 " + std::to_string(kChartWidth) + " " +
                    std::to_string(kFragsChartHeight) +
                    "\" role=\"img\" aria-label=\"Frags over time\">";
  for (const GraphLine& l : g.lines) {
    svg += "<line x1=\"" + std::to_string(l.from.x) + "\" y1=\"" + std::to_string(l.from.y) +
           "\" x2=\"" + std::to_string(l.to.x) + "\" y2=\"" + std::to_string(l.to.y) +
           "\" stroke=\"" + (l.dotted ? "#ccc\" stroke-dasharray=\"2 3\"" : "#555\"") + "/>";
  }
  for (const auto* labels : {&g.fragLabels, &g.minuteLabels}) {
    for (const GraphLabel& l : *labels) svg += svgLabel(l.at.x, l.at.y, l.text);
  }
  for (const GraphCurve& c : g.curves) {
    const std::string_view colour =
        kCurveColours[static_cast<std::size_t>(c.place - 1) % std::size(kCurveColours)];
    std::string points;
    for (const GraphPoint& p : c.points)
      points += std::to_string(p.x) + "," + std::to_string(p.y) + " ";
    svg += "<polyline fill=\"none\" stroke-width=\"2\" stroke=\"" + std::string(colour) +
           "\" points=\"" + points + "\"/>";
    svg += svgLabel(c.legend.at.x, c.legend.at.y, c.legend.text,
                    " style=\"fill:" + std::string(colour) + "\"");
  }
  return svg + "</svg>";
}

std::string siteRatingChart(const std::vector<RatingPoint>& history) {
  if (history.empty()) return {};
  double low = history.front().rating.value;
  double high = low;
  for (const RatingPoint& p : history) {
    low = std::min(low, p.rating.value - p.rating.deviation);
    high = std::max(high, p.rating.value + p.rating.deviation);
  }
  const std::int64_t first = history.front().period;
  const std::int64_t last = history.back().period;
  const double plotWidth = kChartWidth - 2 * kRatingMargin;
  const double plotHeight = kRatingChartHeight - 2 * kRatingTop;
  // A single day stands in the middle.
  auto x = [&](std::int64_t day) {
    const double share =
        last == first ? 0.5 : static_cast<double>(day - first) / static_cast<double>(last - first);
    return number(kRatingMargin + plotWidth * share, 1);
  };
  auto y = [&](double v) { return number(kRatingTop + plotHeight * (high - v) / (high - low), 1); };
  std::string band;
  std::string line;
  std::string dots;
  for (const RatingPoint& p : history)
    band += x(p.period) + "," + y(p.rating.value + p.rating.deviation) + " ";
  for (auto p = history.rbegin(); p != history.rend(); ++p)
    band += x(p->period) + "," + y(p->rating.value - p->rating.deviation) + " ";
  for (const RatingPoint& p : history) {
    line += x(p.period) + "," + y(p.rating.value) + " ";
    if (history.size() <= kRatingDots) {
      dots += "<line stroke=\"#9cbcdc\" x1=\"" + x(p.period) + "\" x2=\"" + x(p.period) +
              "\" y1=\"" + y(p.rating.value - p.rating.deviation) + "\" y2=\"" +
              y(p.rating.value + p.rating.deviation) +
              "\"/><circle fill=\"#1f77b4\" r=\"3\" cx=\"" + x(p.period) + "\" cy=\"" +
              y(p.rating.value) + "\"/>";
    }
  }
  const int bottom = kRatingChartHeight - kRatingTop + 4;
  std::string svg = "<svg viewBox=\"0 0 " + std::to_string(kChartWidth) + " " +
                    std::to_string(kRatingChartHeight) +
                    "\" role=\"img\" aria-label=\"Rating over time\">" +
                    "<polygon fill=\"#d8e6f3\" points=\"" + band + "\"/>" +
                    "<polyline fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"2\" points=\"" +
                    line + "\"/>" + dots + svgLabel(2, kRatingTop - 6, number(high, 0)) +
                    svgLabel(2, kRatingChartHeight - kRatingTop - 6, number(low, 0)) +
                    svgLabel(kRatingMargin, bottom, dayText(first));
  if (last != first) svg += svgLabel(kChartWidth - kRatingMargin - 66, bottom, dayText(last));
  return svg + "</svg>";
}

}  // namespace obitrak
