#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "core/string_table.h"
#include "ui/log_window.h"

using namespace sonvarek;

namespace {

QStringList Shown(const LogWindow& window) {
  QStringList lines;
  for (int row = 0; row < window.lines()->count(); ++row) lines << window.lines()->item(row)->text();
  return lines;
}

QPushButton* Button(const LogWindow& window, const char* name) {
  auto* button = window.findChild<QPushButton*>(name);
  if (button == nullptr) qFatal("no button %s", name);
  return button;
}

}  // namespace

class LogWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // The window shows the lines of its opening, one row each, UTF-8 and a drive error's
  // trailing line break included (shown without it, kept in the log); later lines
  // appear only in a window opened later.
  void showsTheLinesOfItsOpening() {
    JobLog log;
    log.Append("(2026-03-01 20:15:02) Extracting Träumerei ...");
    log.Append("(2026-03-01 20:15:09) Error: Input/output error!\n");
    log.Append("[2026-03-01 20:15:10] Error: Can't open file /music/a b.wav!");
    LogWindow window(log);
    window.show();
    QCOMPARE(window.windowTitle(), QString(text::kLogWindowCaption));
    const QStringList opening = {QString::fromUtf8("(2026-03-01 20:15:02) Extracting Träumerei ..."),
                                 "(2026-03-01 20:15:09) Error: Input/output error!",
                                 "[2026-03-01 20:15:10] Error: Can't open file /music/a b.wav!"};
    QCOMPARE(Shown(window), opening);
    QCOMPARE(log.Lines()[1], std::string("(2026-03-01 20:15:09) Error: Input/output error!\n"));

    log.Append("(2026-03-01 20:16:00) Encoding b ...");
    QCoreApplication::processEvents();
    QCOMPARE(Shown(window), opening);
    LogWindow later(log);
    QCOMPARE(Shown(later), opening + QStringList{"(2026-03-01 20:16:00) Encoding b ..."});
  }

  // "&Clear" empties the log and the list; "&OK" closes, and the next window is empty.
  void clearEmptiesLogAndList() {
    JobLog log;
    log.Append("(2026-03-01 20:15:02) Extracting a ...");
    log.Append("(2026-03-01 20:15:03) Extracting a OK!");
    LogWindow window(log);
    window.show();
    QCOMPARE(Button(window, "clearButton")->text(), QString(text::kLogClearButton));
    QTest::mouseClick(Button(window, "clearButton"), Qt::LeftButton);
    QCOMPARE(window.lines()->count(), 0);
    QCOMPARE(log.Size(), size_t{0});
    QVERIFY(window.isVisible());

    QTest::mouseClick(Button(window, "okButton"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    LogWindow next(log);
    QCOMPARE(next.lines()->count(), 0);
  }

  // Enter in the window means "&OK", not "&Clear": the log is not lost by a keystroke.
  void enterClosesWithoutClearing() {
    JobLog log;
    log.Append("(2026-03-01 20:15:02) Extracting a ...");
    LogWindow window(log);
    window.show();
    QTest::keyClick(&window, Qt::Key_Return);
    QVERIFY(!window.isVisible());
    QCOMPARE(log.Size(), size_t{1});
  }
};

QTEST_MAIN(LogWindowTest)
#include "log_window_test.moc"
