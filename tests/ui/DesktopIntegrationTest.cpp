// The main window on the desktop: demos dropped on it, and demos kept as gzip archives.

#include <zlib.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "UiTestSupport.h"
#include "ui/FragGridView.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

// `bytes` as one gzip member, the way gzip(1) writes it.
std::string gzipped(const std::string& bytes) {
  z_stream s{};
  if (deflateInit2(&s, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  std::string out(deflateBound(&s, static_cast<uLong>(bytes.size())), '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  s.avail_in = static_cast<uInt>(bytes.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&s, Z_FINISH);
  out.resize(status == Z_STREAM_END ? s.total_out : 0);
  deflateEnd(&s);
  return out;
}

// Every cell of the frag grid, row by row.
QStringList allCells(ui::MainWindow& form) {
  QStringList cells;
  for (int row = 0; row < grid(form).rowCount(); ++row) {
    for (int column = 0; column < grid(form).columnCount(); ++column) {
      cells << cell(form, column, row);
    }
  }
  return cells;
}

// Drags `mime` over the main window and drops it there: whether the window took the drag
// and the drop.
std::pair<bool, bool> dragAndDrop(ui::MainWindow& form, const QMimeData& mime) {
  const QPoint centre = form.rect().center();
  QDragEnterEvent enter(centre, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  QDropEvent drop(QPointF(centre), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &drop);
  return {enter.isAccepted(), drop.isAccepted()};
}

}  // namespace

class DesktopIntegrationTest : public QObject {
  Q_OBJECT

 private slots:
  void droppedDemoOpensAsOpenDm2Does() {
    TestApp app;
    app.showActive();
    const QString demo = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(demo)});

    QCOMPARE(dragAndDrop(app.form(), mime), std::make_pair(true, true));
    QVERIFY(app.openRequests.empty());
    QCOMPARE(app.form().demoPath(), demo);
    QCOMPARE(app.form().windowTitle(), demo);
    QCOMPARE(rowNames(app.form()), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
  }

  // A server's recording, plain or packed, opens like a demo.
  void droppedServerRecordingOpens_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("packed");
    QTest::newRow("plain") << "match.mvd2" << false;
    QTest::newRow("gzip") << "match.mvd2.gz" << true;
  }
  void droppedServerRecordingOpens() {
    QFETCH(QString, name);
    QFETCH(bool, packed);
    TestApp app;
    app.showActive();
    const QString demo = app.demo(name, packed ? gzipped(recordedDuel()) : recordedDuel());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(demo)});
    QCOMPARE(dragAndDrop(app.form(), mime), std::make_pair(true, true));
    QCOMPARE(app.form().demoPath(), demo);
    QCOMPARE(rowNames(app.form()), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
  }

  // A dropped file that cannot be read fails as the menu's scan does: in a message box,
  // with the loaded demo kept.
  void droppedDamagedDemoIsReported() {
    TestApp app;
    const QString demo = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    app.open(demo);
    const QStringList before = allCells(app.form());
    const QString damaged = app.demo(QStringLiteral("damaged.dm2.gz"), "\x1f\x8bjunk");
    MessageRecorder recorder;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(damaged)});

    QCOMPARE(dragAndDrop(app.form(), mime), std::make_pair(true, true));
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].startsWith("Could not open " + damaged + ": Damaged gzip data"),
             qPrintable(recorder.messages[0]));
    QCOMPARE(app.form().demoPath(), demo);
    QCOMPARE(allCells(app.form()), before);
  }

  // Anything but one local file is refused and changes nothing. Names are files in the
  // test's folder ("." is the folder itself); a name with a scheme is taken as it is.
  void otherDropsAreRefused_data() {
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QString>("text");
    QTest::newRow("two demos") << QStringList{QStringLiteral("duel.dm2"),
                                              QStringLiteral("teams.dm2")}
                               << QString();
    QTest::newRow("a folder") << QStringList{QStringLiteral(".")} << QString();
    QTest::newRow("text") << QStringList() << QStringLiteral("teams.dm2");
    QTest::newRow("remote demo") << QStringList{QStringLiteral("https://example.org/teams.dm2")}
                                 << QString();
    QTest::newRow("missing file") << QStringList{QStringLiteral("gone.dm2")} << QString();
  }

  void otherDropsAreRefused() {
    QFETCH(QStringList, urls);
    QFETCH(QString, text);
    TestApp app;
    const QString duel = app.demo(QStringLiteral("duel.dm2"), duelDemo());
    app.demo(QStringLiteral("teams.dm2"), teamDemo());
    app.open(duel);
    const QStringList before = allCells(app.form());
    MessageRecorder recorder;

    QMimeData mime;
    QList<QUrl> list;
    for (const QString& name : urls) {
      list << (name.contains(QLatin1Char(':')) ? QUrl(name) : QUrl::fromLocalFile(app.file(name)));
    }
    if (!list.isEmpty()) mime.setUrls(list);
    if (!text.isEmpty()) mime.setText(text);

    QCOMPARE(dragAndDrop(app.form(), mime), std::make_pair(false, false));
    QCOMPARE(app.form().demoPath(), duel);
    QCOMPARE(allCells(app.form()), before);
    QVERIFY(recorder.messages.isEmpty());
  }

  // A gzip archive of a demo shows what the plain demo shows.
  void gzipDemoOpensAsThePlainDemo() {
    TestApp app;
    app.open(app.demo(QStringLiteral("duel.dm2"), duelDemo()));
    const QStringList plain = allCells(app.form());
    const QString packed = app.demo(QStringLiteral("duel.dm2.gz"), gzipped(duelDemo()));
    app.open(app.demo(QStringLiteral("teams.dm2"), teamDemo()));
    app.open(packed);

    QCOMPARE(app.form().demoPath(), packed);
    QCOMPARE(allCells(app.form()), plain);
  }
};

OBITRAK_UI_TEST_MAIN(DesktopIntegrationTest)
#include "DesktopIntegrationTest.moc"
