#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "stats/Summary.h"

namespace obitrak::ui {

// The players' totals of a summary as a tree: a row per person (demos, frags, kills,
// deaths, self-kills, his record and rating), expanding to a row per other name he played
// under, per weapon he killed with and per opponent he met (kills of and deaths by that
// opponent).
class LibraryPlayersModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  static constexpr int kSortRole = Qt::UserRole;
  // The name shown for the person of a row (a person's row or a row below it), as bytes.
  static constexpr int kPersonRole = Qt::UserRole + 1;
  enum Column {
    Player,
    Demos,
    Frags,
    Kills,
    Deaths,
    SelfKills,
    Wins,
    Losses,
    Draws,
    Rating,
    ColumnCount
  };

  explicit LibraryPlayersModel(QObject* parent = nullptr);

  void setSummary(const Summary& summary);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  // A row's text and numbers; a missing number is an empty cell.
  struct Line {
    QString label;
    std::vector<std::int64_t> values;  // Demos .. Rating, or fewer
    std::vector<bool> present;
  };
  struct PlayerRows {
    std::string person;
    Line total;
    std::vector<Line> details;
  };

  // Kills of and deaths by one opponent, by his name.
  using Opponents = std::map<std::string, std::pair<std::int64_t, std::int64_t>>;
  static PlayerRows rowsOf(const PlayerTotals& p, const Summary& summary,
                           const Opponents& opponents);
  const Line* lineAt(const QModelIndex& index) const;

  std::vector<PlayerRows> m_players;
};

}  // namespace obitrak::ui
