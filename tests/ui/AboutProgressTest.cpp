// The About window and the "Scanning demo..." window.

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "UiTestSupport.h"
#include "export/ProgramInfo.h"
#include "scan/DemoScan.h"
#include "ui/About.h"
#include "ui/scanning.h"

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
  explicit VisibilityProbe(ui::TProgress& progress) : m_progress(progress) {}
  void readStarted() override {
    m_progress.readStarted();
    visibleWhileReading = m_progress.isVisible();
  }
  void readEnded() override { m_progress.readEnded(); }
  bool visibleWhileReading = false;

 private:
  ui::TProgress& m_progress;
};

}  // namespace

class AboutProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void aboutShowsTheProgramAndItsNote() {
    ui::TAboutWindow about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About this program"));
    QCOMPARE(about.size(), QSize(298, 220));
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

  void aboutPictureLosesItsBottomRows() {
    ui::TAboutWindow about;
    auto* photo = about.findChild<QLabel*>(QStringLiteral("Photo"));
    QCOMPARE(photo->geometry(), QRect(16, 16, 100, 129));
    QCOMPARE(photo->pixmap().size(), QSize(100, 131));
  }

  void okClosesTheModalWindowAndItOpensAgainTheSame() {
    ui::TAboutWindow about;
    const QString before = about.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
    for (int i = 0; i < 2; ++i) {
      pressOkSoon();
      QCOMPARE(about.exec(), int(QDialog::Accepted));
      QVERIFY(!about.isVisible());
    }
    QCOMPARE(about.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(), before);
  }

  void progressWindowIsAnEmptyCaption() {
    ui::TProgress progress;
    QCOMPARE(progress.windowTitle(), QStringLiteral("Scanning demo..."));
    QCOMPARE(progress.size(), QSize(180, 38));
    QCOMPARE(progress.minimumSize(), progress.maximumSize());
    QVERIFY(progress.findChildren<QWidget*>().isEmpty());
  }

  void progressWindowIsVisibleOnlyWhileTheScanReads() {
    ui::TProgress progress;
    VisibilityProbe probe(progress);
    DemoTables tables;
    DemoScanBytes(tables, duelDemo(), &probe);
    QVERIFY(probe.visibleWhileReading);
    QVERIFY(!progress.isVisible());
  }

  void progressWindowIsHiddenAfterADamagedDemo() {
    ui::TProgress progress;
    VisibilityProbe probe(progress);
    DemoTables tables;
    DemoScanBytes(tables, badBlockDemo(), &probe);
    QVERIFY(probe.visibleWhileReading);
    QVERIFY(!progress.isVisible());
  }
};

OBITRAK_UI_TEST_MAIN(AboutProgressTest)
#include "AboutProgressTest.moc"
