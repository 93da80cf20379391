#include "ui/LibraryPlayersModel.h"

#include <array>
#include <cmath>

#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

constexpr std::array<const char*, LibraryPlayersModel::ColumnCount> kHeadings{
    "Player",     "Demos", "Frags",  "Kills", "Deaths",
    "Self-kills", "Wins",  "Losses", "Draws", "Rating"};

// Internal ids: 0 for a player's row, player + 1 for the rows below a player.
constexpr quintptr kTopLevel = 0;

}  // namespace

LibraryPlayersModel::LibraryPlayersModel(QObject* parent) : QAbstractItemModel(parent) {}

LibraryPlayersModel::PlayerRows LibraryPlayersModel::rowsOf(const PlayerTotals& p,
                                                            const Summary& summary,
                                                            const Opponents& opponents) {
  PlayerRows rows;
  rows.person = p.name;
  rows.total = {quakeLine(p.name),
                {p.demos, p.frags, p.kills, p.deaths, p.selfKills, p.wins, p.losses, p.draws,
                 p.rating ? std::llround(p.rating->value) : 0},
                {true, true, true, true, true, true, true, true, p.rating.has_value()}};
  for (const std::string& name : p.aliases)
    rows.details.push_back({QStringLiteral("as ") + quakeLine(name), {}, {}});
  for (std::size_t w = 0; w < summary.weapons.size() && w < p.weaponKills.size(); ++w) {
    const std::int64_t kills = p.weaponKills[w];
    if (kills == 0) continue;
    rows.details.push_back(
        {latin1(summary.weapons[w].name), {0, 0, kills, 0, 0}, {false, false, true, false, false}});
  }
  for (int l = 1; summary.hitLocations && l <= kHitLocations; ++l) {
    const std::int64_t kills = p.hitLocationKills[static_cast<std::size_t>(l)];
    if (kills == 0) continue;
    rows.details.push_back(
        {QStringLiteral("hit in the ") + latin1(kHitLocationNames[static_cast<std::size_t>(l)]),
         {0, 0, kills, 0, 0},
         {false, false, true, false, false}});
  }
  for (const auto& [name, counts] : opponents) {
    rows.details.push_back({QStringLiteral("against ") + quakeLine(name),
                            {0, 0, counts.first, counts.second, 0},
                            {false, false, true, true, false}});
  }
  return rows;
}

void LibraryPlayersModel::setSummary(const Summary& summary) {
  beginResetModel();
  m_players.clear();
  // Each person's opponents, from the pairs who met and killed each other.
  std::vector<Opponents> opponents(summary.players.size());
  for (const HeadToHead& h : summary.headToHead) {
    if (h.firstKills == 0 && h.secondKills == 0) continue;
    opponents[h.first][summary.players[h.second].name] = {h.firstKills, h.secondKills};
    opponents[h.second][summary.players[h.first].name] = {h.secondKills, h.firstKills};
  }
  for (std::size_t p = 0; p < summary.players.size(); ++p)
    m_players.push_back(rowsOf(summary.players[p], summary, opponents[p]));
  endResetModel();
}

QModelIndex LibraryPlayersModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= ColumnCount) return {};
  if (!parent.isValid()) {
    return row < static_cast<int>(m_players.size()) ? createIndex(row, column, kTopLevel)
                                                    : QModelIndex();
  }
  if (parent.internalId() != kTopLevel) return {};
  const PlayerRows& p = m_players.at(static_cast<std::size_t>(parent.row()));
  if (row >= static_cast<int>(p.details.size())) return {};
  return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex LibraryPlayersModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == kTopLevel) return {};
  return createIndex(static_cast<int>(child.internalId() - 1), 0, kTopLevel);
}

int LibraryPlayersModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(m_players.size());
  if (parent.internalId() != kTopLevel || parent.column() != 0) return 0;
  return static_cast<int>(m_players.at(static_cast<std::size_t>(parent.row())).details.size());
}

int LibraryPlayersModel::columnCount(const QModelIndex&) const {
  return ColumnCount;
}

const LibraryPlayersModel::Line* LibraryPlayersModel::lineAt(const QModelIndex& index) const {
  if (!index.isValid()) return nullptr;
  if (index.internalId() == kTopLevel)
    return &m_players.at(static_cast<std::size_t>(index.row())).total;
  const PlayerRows& p = m_players.at(static_cast<std::size_t>(index.internalId() - 1));
  return &p.details.at(static_cast<std::size_t>(index.row()));
}

QVariant LibraryPlayersModel::data(const QModelIndex& index, int role) const {
  const Line* line = lineAt(index);
  if (line == nullptr) return {};
  if (role == kPersonRole) {
    const std::size_t person = index.internalId() == kTopLevel
                                   ? static_cast<std::size_t>(index.row())
                                   : index.internalId() - 1;
    return QByteArray::fromStdString(m_players.at(person).person);
  }
  const int c = index.column();
  if (c == Player) {
    if (role == Qt::DisplayRole) return line->label;
    if (role == kSortRole) return line->label.toLower();
    return {};
  }
  const auto v = static_cast<std::size_t>(c - 1);
  const bool present = v < line->present.size() && line->present[v];
  switch (role) {
    case Qt::DisplayRole:
      return present ? QVariant(QString::number(line->values[v])) : QVariant();
    case kSortRole:
      return QVariant::fromValue<qint64>(present ? line->values[v] : INT64_MIN);
    case Qt::TextAlignmentRole:
      return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant LibraryPlayersModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= ColumnCount) return {};
  return QString::fromLatin1(kHeadings[static_cast<std::size_t>(section)]);
}

}  // namespace obitrak::ui
