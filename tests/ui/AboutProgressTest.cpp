// The About window and the "Scanning demo..." window.

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

#include "DemoWriter.h"
#include "UiTestSupport.h"
#include "export/ProgramInfo.h"
#include "scan/DemoScan.h"
#include "ui/AboutDialog.h"
#include "ui/ScanProgressDialog.h"
#include "ui/WindowFit.h"

using namespace obitrak;
using namespace obitrak::uitest;

namespace {

QString labelText(QWidget& window, const char* name) {
  return window.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

// Presses "OK" on the modal window as soon as the event loop runs.
void pressOkSoon() {
  QTimer::singleShot(0, [] {
    QWidget* dialog = QApplication::activeModalWidget();
    QVERIFY(dialog != nullptr);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
  });
}

// Whether the progress window is visible while the scan reads.
class VisibilityProbe : public ScanObserver {
 public:
  explicit VisibilityProbe(ui::ScanProgressDialog& progress) : m_progress(progress) {}
  void readStarted() override {
    m_progress.readStarted();
    visibleWhileReading = m_progress.isVisible();
  }
  void readEnded() override { m_progress.readEnded(); }
  bool visibleWhileReading = false;

 private:
  ui::ScanProgressDialog& m_progress;
};

}  // namespace

class AboutProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void aboutShowsTheProgramAndItsNote() {
    ui::AboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About this program"));
    QVERIFY(about.width() >= 298 && about.height() >= 220);
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QCOMPARE(labelText(about, "Label1"), QStringLiteral("OBITRAK"));
    QCOMPARE(labelText(about, "Label2"), QStringLiteral("v1.0.5"));
    QVERIFY(!labelText(about, "Label3").isEmpty());
    auto* memo = about.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    QVERIFY(!memo->isEnabled());
    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines.mid(0, 8),
             (QStringList{"The next revision of", "my Quake2 demo analyzer.", "",
                          "Please, mail me about any", "bugs you'll found.", "", "", ""}));
    QVERIFY(lines[8].startsWith(QStringLiteral("My e-mail: ")));
    QVERIFY(lines[8].contains(QLatin1Char('@')));
    QCOMPARE(lines[9],
             QStringLiteral("URL: ") +
                 QString::fromLatin1(kHomepage.data(), static_cast<qsizetype>(kHomepage.size())));
  }

  // The memo keeps the window's font, each of its lines is one line on the screen, and the
  // window grows around the memo where its lines need the room.
  void aboutMemoLinesAreWholeInTheWindowFont() {
    ui::AboutDialog about;
    auto* memo = about.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    QCOMPARE(memo->font().pixelSize(), 11);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    for (QTextBlock line = memo->document()->begin(); line.isValid(); line = line.next()) {
      QCOMPARE(line.layout()->lineCount(), 1);
      QVERIFY(memo->fontMetrics().horizontalAdvance(line.text()) < memo->viewport()->width());
    }
    QVERIFY(memo->geometry().right() < about.width());
    QCOMPARE(ui::aboutLayout({120, 140}), (ui::AboutLayout{{137, 153}, {298, 220}}));
    QCOMPARE(ui::aboutLayout({190, 170}), (ui::AboutLayout{{190, 170}, {351, 237}}));
  }

  void progressWindowFitsItsCaption() {
    QCOMPARE(ui::progressWindowWidth(60, 18), 180);
    QCOMPARE(ui::progressWindowWidth(110, 22), 110 + 4 * 22 + 16);
  }

  void aboutPictureLosesItsBottomRows() {
    ui::AboutDialog about;
    auto* photo = about.findChild<QLabel*>(QStringLiteral("Photo"));
    QCOMPARE(photo->geometry(), QRect(16, 16, 100, 129));
    QCOMPARE(photo->pixmap().size(), QSize(100, 131));
  }

  void okClosesTheModalWindowAndItOpensAgainTheSame() {
    ui::AboutDialog about;
    const QString before = about.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
    for (int i = 0; i < 2; ++i) {
      pressOkSoon();
      QCOMPARE(about.exec(), int(QDialog::Accepted));
      QVERIFY(!about.isVisible());
    }
    QCOMPARE(about.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(), before);
  }

  void progressWindowIsACaptionAndABar() {
    ui::ScanProgressDialog progress;
    QCOMPARE(progress.windowTitle(), QStringLiteral("Scanning demo..."));
    QVERIFY(progress.width() >= 180);
    QCOMPARE(progress.height(), 38);
    QCOMPARE(progress.minimumSize(), progress.maximumSize());
    QCOMPARE(progress.findChildren<QWidget*>().size(), 1);
  }

  // The bar is painted while the scan is still reading, not only after it.
  void progressBarIsPaintedDuringTheScan() {
    tools::DemoWriter w;
    w.serverData(34, "", 0, "Long");
    for (int block = 0; block < 20000; ++block) {
      w.print(2, "tick\n");
      w.endBlock();
    }
    const std::string demo = w.finish();
    ui::ScanProgressDialog progress;
    progress.setExpectedBytes(demo.size());
    progress.setPaintInterval(0);
    QImage halfway;
    connect(&progress, &ui::ScanProgressDialog::painted, [&](int percent) {
      if (percent >= 50 && halfway.isNull()) {
        halfway = progress.findChild<QProgressBar*>()->grab().toImage();
      }
    });
    DemoTables tables;
    DemoScanBytes(tables, demo, &progress);
    QVERIFY(!halfway.isNull());
    const QColor filled = progress.findChild<QProgressBar*>()->palette().color(QPalette::Highlight);
    const QRect start(halfway.width() / 10, halfway.height() / 2, 4, 1);
    QVERIFY(countPixelsNear(halfway, start, filled, 30) > 0);
  }

  void progressWindowIsVisibleOnlyWhileTheScanReads() {
    ui::ScanProgressDialog progress;
    VisibilityProbe probe(progress);
    DemoTables tables;
    DemoScanBytes(tables, duelDemo(), &probe);
    QVERIFY(probe.visibleWhileReading);
    QVERIFY(!progress.isVisible());
  }

  void progressWindowIsHiddenAfterADamagedDemo() {
    ui::ScanProgressDialog progress;
    VisibilityProbe probe(progress);
    DemoTables tables;
    DemoScanBytes(tables, badBlockDemo(), &probe);
    QVERIFY(probe.visibleWhileReading);
    QVERIFY(!progress.isVisible());
  }
};

OBITRAK_UI_TEST_MAIN(AboutProgressTest)
#include "AboutProgressTest.moc"
