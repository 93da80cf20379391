#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "export/HtmlColors.h"
#include "export/SiteFolder.h"
#include "export/SitePage.h"
#include "export/WorkThread.h"
#include "stats/FileTime.h"
#include "stats/Summary.h"

namespace obitrak {

class PhrasePack;

// How the site counts and shows the demos.
struct SiteSettings {
  bool teamPlay = false;
  const Aliases* aliases = nullptr;                // must outlive the writer
  const PhrasePack* pack = nullptr;                // the pack the demos were analysed with, if any
  HtmlColorSet colors = HtmlColorSet::defaults();  // of the tables taken from the HTML report
};

// The version of the per-match JSON files' layout.
inline constexpr int kJsonMatchVersion = 1;

// One match as the other pages list it.
struct SiteMatch {
  struct Player {
    std::string person;
    std::int64_t frags = 0;
    int place = 0;  // 0: held a slot but never fought
  };
  std::size_t position = 0;
  std::string page;  // file name without extension
  FileTime modified;
  std::string mapName;
  std::string mapKey;  // the map model, or the map's name without one
  std::int32_t duration = 0;
  DemoOutcome result;
  std::vector<Player> players;  // each person once: the ranked by place, then the others
};

// Writes a static web site of an archive of demos into a site folder: a page and a JSON
// file per match as the demos come, then the index with the rating ladder, a page per
// person and per map and the summary JSON. Every page is linked from another; a page whose
// bytes are those already there is not written again. The match pages are made on a
// thread of their own while the caller reads the next demos.
class SiteWriter {
 public:
  SiteWriter(SiteFolder& folder, SiteSettings settings);

  // The demo at `position` of the archive, `key` being its library key (absolute path).
  // Throws SiteError for a page of an earlier match that could not be written.
  void addMatch(DemoResult demo, const std::string& key, std::size_t position);

  // The other pages; the run ends with `inputs` recorded (see SiteFolder::finish). Returns
  // the totals the pages show.
  Summary finish(int unreadable, const std::string& inputs);

 private:
  // What a match's page and JSON file are made of, its links' page names chosen already:
  // the names depend on the order they are first asked for, which stays the caller's.
  struct MatchPages {
    DemoResult demo;
    std::string key;
    SiteMatch match;
    std::string mapPage;
    std::vector<std::pair<std::string, std::string>> personPages;  // person -> page
  };

  void writeMatchPage(const MatchPages& m) const;
  void writeMatchJson(const MatchPages& m) const;
  void writeIndex(const Summary& s);
  void writePeople(const Summary& s);
  void writeMaps(const Summary& s);
  const std::string& personOf(const std::string& name) const {
    return m_settings.aliases != nullptr ? m_settings.aliases->personOf(name) : name;
  }
  std::string personLink(const std::string& person);
  std::string mapPage(const std::string& mapKey);
  std::string matchTitle(const SiteMatch& m) const;

  SiteFolder& m_folder;
  SiteSettings m_settings;
  SummaryBuilder m_builder;
  SiteNames m_names;
  std::string m_siteDir;  // absolute, for links to the demos
  std::vector<SiteMatch> m_matches;

  WorkThread<MatchPages> m_pages;  // makes the match pages; last: it starts once the rest is made
};

}  // namespace obitrak
