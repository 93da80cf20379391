#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/HtmlColors.h"
#include "library/LibraryStore.h"
#include "scan/PhrasePack.h"
#include "stats/Aliases.h"
#include "stats/Summary.h"
#include "ui/FileDialogs.h"
#include "ui/SecondaryWindow.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QThread;
class QTimer;
class QTreeView;
class QUrl;

namespace obitrak::ui {

class LibraryDemoModel;
class LibraryPlayersModel;
class LibraryWorker;

// The "Demo library" window: the folders of demos the user keeps (in the user settings),
// a table of every demo in them, read from the library database and brought up to date by
// indexing on a worker thread, and the players' totals over the selected demos (all when
// none is selected), which "Export summary..." writes as text, HTML or JSON. The players
// are people: names merged into one player (or split again) are kept in an aliases file
// beside the library, in the format obitrak-report --aliases reads, and names that may be
// one player are suggested. "Publish as web site..." writes the site of the folders' demos
// and opens it.
// The window's default way to choose the name a merged player is shown as: a list of them.
std::optional<std::string> runChooseName(QWidget* parent, const std::vector<std::string>& names);

class LibraryWindow : public SecondaryWindow {
  Q_OBJECT

 public:
  using FolderDialog = std::function<std::optional<QString>(QWidget* parent)>;
  using OpenDemo = std::function<void(const QString& path)>;
  // Asks which of `names` the merged player is shown as; none when the user cancels.
  using ChooseName =
      std::function<std::optional<std::string>(QWidget* parent, const std::vector<std::string>&)>;
  using OpenUrl = std::function<void(const QUrl& url)>;

  // `libraryPath` empty: there is no place for a library, and the window says so.
  LibraryWindow(AppState& state, std::string libraryPath, QWidget* parent = nullptr);
  ~LibraryWindow() override;

  void setFolderDialog(FolderDialog dialog) { m_folderDialog = std::move(dialog); }
  void setSaveDialog(FileDialog dialog) { m_saveDialog = std::move(dialog); }
  // What double click and Enter on a demo do: open it in the main window.
  void setOpenDemo(OpenDemo open) { m_openDemo = std::move(open); }
  void setChooseName(ChooseName choose) { m_chooseName = std::move(choose); }
  // The folder the web site goes into, and what opens it once written.
  void setSiteDialog(FolderDialog dialog) { m_siteDialog = std::move(dialog); }
  void setOpenUrl(OpenUrl open) { m_openUrl = std::move(open); }

  QStringList folders() const { return m_folders; }
  // Whether indexing runs or rows it found are still being added to the table.
  bool indexing() const { return m_indexing || !m_pendingRows.empty(); }
  const LibraryDemoModel& demos() const { return *m_demoModel; }
  const LibraryPlayersModel& players() const { return *m_playersModel; }
  // The totals the players tab shows, and whether newer ones are on their way.
  const Summary& summary() const { return *m_summary; }
  bool summaryPending() const { return m_summaryPending; }
  const Aliases& aliases() const { return m_aliases; }
  bool publishing() const { return m_publishing; }

 public slots:
  void addFolder();
  void removeFolder();
  void indexFolders();
  void cancelIndexing();
  void exportSummary();
  void mergePlayers();
  void splitPlayer();
  void mergeSuggestion();
  void publishSite();

 signals:
  void loadRowsRequested(const QStringList& folders);
  void indexRequested(const QStringList& folders, const obitrak::ui::DeathMessages& messages);
  void summaryRequested(quint64 generation, const std::vector<std::string>& paths,
                        std::shared_ptr<const obitrak::Aliases> aliases);
  void publishRequested(const QStringList& folders, const QString& site,
                        std::shared_ptr<const obitrak::Aliases> aliases,
                        const obitrak::ui::DeathMessages& messages, obitrak::HtmlColorSet colors);
  void forgetRequested(const QString& folder);

 protected:
  void refill() override;
  void showEvent(QShowEvent* event) override;

 private slots:
  void rowsArrived(const std::vector<obitrak::LibraryRow>& rows, bool replace);
  void feedRows();
  void indexProgress(int done, int total);
  void indexFinished(const QString& note);
  void summaryArrived(quint64 generation, std::shared_ptr<const obitrak::Summary> summary);
  void workerFailed(const QString& message);
  void filterChanged(const QString& text);
  void demoActivated(const QModelIndex& index);
  void scheduleSummary();
  void requestSummary();
  void siteArrived(const QString& site, const QString& note);

 private:
  void buildControls();
  QWidget* buildFolderRow();
  QWidget* buildTabs();
  QWidget* buildPlayersTab();
  void loadAliases();
  bool saveAliases(const Aliases& changed);
  std::vector<std::string> selectedPeople() const;
  void showSuggestions();
  void startWorkers();
  void saveFolders();
  std::vector<std::string> selectedPaths() const;
  void writeSummary(const QString& target);
  void showDemoCount();

  std::string m_libraryPath;
  FolderDialog m_folderDialog;
  FileDialog m_saveDialog;
  OpenDemo m_openDemo;
  ChooseName m_chooseName;
  FolderDialog m_siteDialog;
  OpenUrl m_openUrl;
  Aliases m_aliases;
  std::string m_aliasesPath;  // beside the library
  QString m_aliasesProblem;   // why the file could not be read; it is then never written
  bool m_publishing = false;
  QStringList m_folders;
  bool m_opened = false;
  bool m_indexing = false;
  bool m_indexAgain = false;
  std::atomic<bool> m_cancel{false};

  QThread* m_indexThread = nullptr;
  QThread* m_readThread = nullptr;
  LibraryWorker* m_indexWorker = nullptr;
  LibraryWorker* m_readWorker = nullptr;

  LibraryDemoModel* m_demoModel = nullptr;
  LibraryPlayersModel* m_playersModel = nullptr;
  std::shared_ptr<const Summary> m_summary;
  quint64 m_summaryGeneration = 0;
  bool m_summaryPending = false;
  std::optional<QString> m_exportTarget;  // written when the requested totals arrive
  QTimer* m_summaryTimer = nullptr;
  std::deque<LibraryRow> m_pendingRows;  // rows waiting to join the table
  QTimer* m_rowFeeder = nullptr;

  QListWidget* m_folderList = nullptr;
  QProgressBar* m_progress = nullptr;
  QPushButton* m_cancelButton = nullptr;
  QLabel* m_status = nullptr;
  QLineEdit* m_filter = nullptr;
  QTabWidget* m_tabs = nullptr;
  QTableView* m_demoTable = nullptr;
  QTreeView* m_playerTree = nullptr;
  QListWidget* m_suggestionList = nullptr;
  QLabel* m_summaryStatus = nullptr;
  QPushButton* m_exportButton = nullptr;
};

}  // namespace obitrak::ui
