// The library window's players as people: merging names into one player and splitting
// them again, the suggestions, and publishing the web site.

#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>
#include <set>

#include "export/WholeFile.h"
#include "ui/ErrorHandler.h"
#include "ui/LibraryPlayersModel.h"
#include "ui/LibraryWindow.h"
#include "ui/TextConversion.h"

namespace obitrak::ui {

namespace {

constexpr std::string_view kAliasesFileName = "aliases.txt";

QString reasonText(const AliasSuggestion& s) {
  switch (s.reason) {
    case SuggestionReason::Rename:
      return QStringLiteral("renamed in %1 demo(s)").arg(s.demos);
    case SuggestionReason::Case:
      return QStringLiteral("equal but for case");
    case SuggestionReason::Colour:
      return QStringLiteral("equal but for coloured characters");
    case SuggestionReason::ClanTag:
      break;
  }
  return QStringLiteral("equal but for a clan tag");
}

}  // namespace

std::optional<std::string> runChooseName(QWidget* parent, const std::vector<std::string>& names) {
  QStringList shown;
  for (const std::string& n : names) shown << quakeLine(n);
  bool ok = false;
  const QString chosen =
      QInputDialog::getItem(parent, QStringLiteral("Merge into one player"),
                            QStringLiteral("Show the player as:"), shown, 0, false, &ok);
  const qsizetype i = shown.indexOf(chosen);
  if (!ok || i < 0) return std::nullopt;
  return names[static_cast<std::size_t>(i)];
}

QWidget* LibraryWindow::buildPlayersTab() {
  auto* tab = new QWidget(m_tabs);
  auto* layout = new QHBoxLayout(tab);
  auto* sortedPlayers = new QSortFilterProxyModel(this);
  sortedPlayers->setSourceModel(m_playersModel);
  sortedPlayers->setSortRole(LibraryPlayersModel::kSortRole);
  m_playerTree = new QTreeView(tab);
  m_playerTree->setObjectName(QStringLiteral("LibraryPlayers"));
  m_playerTree->setModel(sortedPlayers);
  m_playerTree->setUniformRowHeights(true);
  m_playerTree->setSortingEnabled(true);
  m_playerTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_playerTree->sortByColumn(LibraryPlayersModel::Frags, Qt::DescendingOrder);
  m_playerTree->setColumnWidth(LibraryPlayersModel::Player, 220);
  layout->addWidget(m_playerTree, 3);

  auto* side = new QVBoxLayout;
  const struct {
    const char* name;
    const char* text;
    void (LibraryWindow::*slot)();
  } buttons[] = {{"MergePlayers", "Merge into one player", &LibraryWindow::mergePlayers},
                 {"SplitPlayer", "Split", &LibraryWindow::splitPlayer}};
  for (const auto& b : buttons) {
    auto* button = new QPushButton(QString::fromLatin1(b.text), tab);
    button->setObjectName(QString::fromLatin1(b.name));
    connect(button, &QPushButton::clicked, this, b.slot);
    side->addWidget(button);
  }
  side->addWidget(new QLabel(QStringLiteral("Maybe one player:"), tab));
  m_suggestionList = new QListWidget(tab);
  m_suggestionList->setObjectName(QStringLiteral("AliasSuggestions"));
  connect(m_suggestionList, &QListWidget::itemActivated, this, &LibraryWindow::mergeSuggestion);
  side->addWidget(m_suggestionList, 1);
  auto* mergeSuggested = new QPushButton(QStringLiteral("Merge suggested"), tab);
  mergeSuggested->setObjectName(QStringLiteral("MergeSuggestion"));
  connect(mergeSuggested, &QPushButton::clicked, this, &LibraryWindow::mergeSuggestion);
  side->addWidget(mergeSuggested);
  layout->addLayout(side, 1);
  return tab;
}

// The aliases file beside the library; one that cannot be read is shown once and then
// left as it is.
void LibraryWindow::loadAliases() {
  m_aliasesPath = (std::filesystem::path(m_libraryPath).parent_path() / kAliasesFileName).string();
  std::error_code ec;
  if (!std::filesystem::exists(m_aliasesPath, ec)) return;
  AliasesLoad load = LoadAliases(m_aliasesPath);
  if (load.aliases) {
    m_aliases = std::move(*load.aliases);
  } else {
    m_aliasesProblem = QString::fromLocal8Bit(load.error);
    GeneralErrorHandler::showMessage(m_aliasesProblem);
  }
}

bool LibraryWindow::saveAliases(const Aliases& changed) {
  if (!m_aliasesProblem.isEmpty()) {
    GeneralErrorHandler::showMessage(m_aliasesProblem +
                                     QStringLiteral(" (correct the file to merge players)"));
    return false;
  }
  bool saved = false;
  runGuarded([&] {
    writeFile(m_aliasesPath, [&](ByteSink& out) { out.write(AliasesText(changed)); });
    saved = true;
  });
  if (saved) {
    m_aliases = changed;
    requestSummary();
  }
  return saved;
}

std::vector<std::string> LibraryWindow::selectedPeople() const {
  std::set<std::string> people;
  for (const QModelIndex& i : m_playerTree->selectionModel()->selectedRows())
    people.insert(i.data(LibraryPlayersModel::kPersonRole).toByteArray().toStdString());
  return {people.begin(), people.end()};
}

void LibraryWindow::mergePlayers() {
  const std::vector<std::string> people = selectedPeople();
  if (people.size() < 2) return;
  const std::optional<std::string> shown = m_chooseName(this, people);
  if (!shown) return;
  Aliases changed = m_aliases;
  changed.merge(people, *shown);
  saveAliases(changed);
}

void LibraryWindow::splitPlayer() {
  Aliases changed = m_aliases;
  for (const std::string& person : selectedPeople()) changed.split(person);
  saveAliases(changed);
}

void LibraryWindow::mergeSuggestion() {
  const QListWidgetItem* item = m_suggestionList->currentItem();
  if (item == nullptr) return;
  std::vector<std::string> names;
  for (const QVariant& n : item->data(Qt::UserRole).toList())
    names.push_back(n.toByteArray().toStdString());
  const std::optional<std::string> shown = m_chooseName(this, names);
  if (!shown) return;
  Aliases changed = m_aliases;
  changed.merge(names, *shown);
  saveAliases(changed);
}

void LibraryWindow::showSuggestions() {
  m_suggestionList->clear();
  for (const AliasSuggestion& s : m_summary->aliasSuggestions) {
    QStringList shown;
    QVariantList names;
    for (const std::string& n : s.names) {
      shown << quakeLine(n);
      names << QByteArray::fromStdString(n);
    }
    auto* item = new QListWidgetItem(shown.join(QStringLiteral(" + ")) + QStringLiteral(": ") +
                                     reasonText(s));
    item->setData(Qt::UserRole, names);
    m_suggestionList->addItem(item);
  }
}

void LibraryWindow::publishSite() {
  if (m_publishing) return;
  const std::optional<QString> site = m_siteDialog(this);
  if (!site) return;
  m_publishing = true;
  m_summaryStatus->setText(QStringLiteral("Writing the web site..."));
  emit publishRequested(m_folders, *site, std::make_shared<const Aliases>(m_aliases),
                        state().deathMessages(), state().htmlColors);
}

void LibraryWindow::siteArrived(const QString& site, const QString& note) {
  m_publishing = false;
  m_summaryStatus->setText(note);
  if (!site.isEmpty()) m_openUrl(QUrl::fromLocalFile(site + QStringLiteral("/index.html")));
}

}  // namespace obitrak::ui
