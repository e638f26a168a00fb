#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "core/profile_file.h"
#include "core/string_table.h"
#include "session/program_session.h"
#include "ui/batch_window.h"
#include "ui/desktop_program.h"
#include "ui/main_window.h"
#include "ui/track_list_view.h"

using namespace sonvarek;
using Command = MainWindow::Command;

namespace {

using test::kSampleCue;
using Program = test::DesktopProgram;

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // Start-up lists the disc of the image drive with the lengths and sizes of its tracks.
  void startUpListsTheSampleDisc() {
    Program program(kSampleCue);
    QTreeWidget& list = program.list();
    QCOMPARE(list.topLevelItemCount(), 5);
    QCOMPARE(list.topLevelItem(0)->text(0), QString("01"));
    QCOMPARE(list.topLevelItem(0)->text(1), QString("Track 1"));
    QCOMPARE(list.topLevelItem(0)->text(2), QString("00:14"));  // 1073 frames
    QCOMPARE(list.topLevelItem(0)->text(3), QString("2.41"));
    QCOMPARE(list.topLevelItem(3)->text(2), QString("00:58"));  // 4390 frames
    QCOMPARE(list.topLevelItem(3)->text(3), QString("9.85"));
    QCOMPARE(list.topLevelItem(4)->checkState(0), Qt::Checked);  // AutoSelectAll
    auto* device = program.window->findChild<QLabel*>("deviceLine");
    QVERIFY(device->text().startsWith("Device: "));
    QVERIFY(program.notice.texts.empty());
  }

  // Only the title opens an editor in place; what is typed there names the track.
  void onlyTheTitleIsEditedInPlace() {
    Program program(kSampleCue);
    QTreeWidget& list = program.list();
    QTreeWidgetItem* row = list.topLevelItem(1);
    list.setCurrentItem(row);
    for (int column : {0, 2, 3}) {
      list.editItem(row, column);
      QVERIFY2(list.viewport()->findChild<QLineEdit*>() == nullptr, qPrintable(QString::number(column)));
    }
    list.editItem(row, 1);
    auto* editor = list.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    editor->setText("Two Tones");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(program.session->disc().disc().entries[2].Title, std::string("Two Tones"));
  }

  void caseCommandsChangeListAndRecord_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("expected");
    QTest::newRow("capitalize") << int(Command::Capitalize) << "The (Long) Road [Live]";
    QTest::newRow("upper") << int(Command::UpperCase) << "THE (LONG) ROAD [LIVE]";
    QTest::newRow("lower") << int(Command::LowerCase) << "the (long) road [live]";
  }
  void caseCommandsChangeListAndRecord() {
    QFETCH(int, command);
    QFETCH(QString, expected);
    Program program(kSampleCue);
    DiscSession& disc = program.session->disc();
    disc.tracks().SetTitle(1, "the (LONG) road [live]", disc.disc());
    program.Trigger(static_cast<Command>(command));
    QCOMPARE(program.Title(1), expected);
    QCOMPARE(QString::fromStdString(disc.disc().entries[2].Title), expected);
  }

  // Moves past an end change nothing; others move the row with its check box, not the record.
  void moveCommandsStopAtTheEnds() {
    Program program(kSampleCue);
    TrackList& tracks = program.session->disc().tracks();
    tracks.SetChecked(0, false);
    tracks.Highlight(0);
    program.Trigger(Command::MoveUp);
    QCOMPARE(program.Title(0), QString("Track 1"));
    program.Trigger(Command::MoveDown);
    QCOMPARE(program.Title(0), QString("Track 2"));
    QCOMPARE(program.Title(1), QString("Track 1"));
    QCOMPARE(program.list().topLevelItem(1)->checkState(0), Qt::Unchecked);
    QCOMPARE(program.list().currentItem(), program.list().topLevelItem(1));
    tracks.Highlight(4);
    program.Trigger(Command::MoveDown);
    program.Trigger(Command::MoveLast);
    QCOMPARE(program.Title(4), QString("Track 5"));
    QCOMPARE(program.session->disc().disc().entries[1].Title, std::string("Track 1"));
    QVERIFY(program.notice.texts.empty());
    tracks.Highlight(std::nullopt);
    program.Trigger(Command::MoveFirst);
    QCOMPARE(program.notice.texts, std::vector<std::string>{text::kHighlightTrackItem});
  }

  void copyToClipboardOfATwoTrackDisc() {
    test::TempFolder images;
    Program program(test::WriteSilentDisc(images, 2));
    program.Trigger(Command::CopyToClipboard);
    QCOMPARE(QApplication::clipboard()->text(), QString("Track 1\t\t00:03\r\nTrack 2\t\t00:03\r\n"));
    QCOMPARE(program.notice.texts, std::vector<std::string>{text::kTocCopiedToClipboard});
  }

  void extractWithNoCheckedRowStartsNothing() {
    Program program(kSampleCue);
    program.Trigger(Command::SelectNone);
    QCOMPARE(program.list().topLevelItem(0)->checkState(0), Qt::Unchecked);
    program.Trigger(Command::Extract);
    QCOMPARE(program.notice.texts, std::vector<std::string>{text::kSelectOneItem});
    QVERIFY(program.Batch() == nullptr);
    QVERIFY(!program.session->batches().IsRunning());
  }

  // A rip shows its phases in the batch window's title and ends in the success pane,
  // whose play list names the file made; the worker highlighted the ripped row.
  void ripEndsInTheSuccessPane() {
    Program program(kSampleCue);
    TrackList& tracks = program.session->disc().tracks();
    tracks.SelectNone();
    tracks.SetChecked(1, true);
    program.session->disc().SetTrackTitle(2, "Two Tones");
    program.Trigger(Command::Extract);
    BatchWindow* batch = program.Batch();
    QVERIFY(batch != nullptr);
    QStringList titles;
    connect(batch, &QWidget::windowTitleChanged, this, [&titles](const QString& title) {
      if (titles.isEmpty() || titles.back() != title) titles << title;
    });
    QTRY_VERIFY_WITH_TIMEOUT(batch->model().finished(), 60000);
    QVERIFY(!batch->model().failed());
    QVERIFY(titles.filter("Extracting(01/01): Two Tones").size() == 1);
    QVERIFY(titles.filter("Encoding(01/01): Two Tones").size() == 1);
    std::string mp3 = program.home.Path() + "out/02-Two Tones.MP3";
    QCOMPARE(batch->model().successFiles(), std::vector<std::string>{mp3});
    QVERIFY(std::filesystem::file_size(mp3) > 10000);
    std::string playlist = program.home / "rip.m3u";
    QVERIFY(batch->CreatePlaylist(QString::fromStdString(playlist)));
    QCOMPARE(test::ReadWholeFile(playlist), mp3 + "\n");
    QCOMPARE(program.list().currentItem(), program.list().topLevelItem(1));
    batch->close();
  }

  // Closing the batch window mid-rip cancels the batch: the worker ends, no file is left
  // under the track's name, and the log says why.
  void closingTheBatchWindowCancelsTheRip() {
    Program program(kSampleCue);
    TrackList& tracks = program.session->disc().tracks();
    tracks.SelectNone();
    tracks.SetChecked(3, true);  // the long track
    program.Trigger(Command::Extract);
    BatchWindow* batch = program.Batch();
    QVERIFY(batch != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(batch->model().extractPane().barPercent > 0, 30000);
    batch->close();
    QTRY_VERIFY_WITH_TIMEOUT(!program.session->batches().IsRunning(), 10000);
    QTRY_VERIFY(program.Batch() == nullptr);
    QVERIFY(!std::filesystem::exists(program.home.Path() + "out/04-Track 4.MP3"));
    for (const auto& entry : std::filesystem::directory_iterator(program.home.Path() + "out")) {
      QFAIL(qPrintable("left behind: " + QString::fromStdString(entry.path().string())));
    }
    QVERIFY(!program.session->log().Lines().empty());
  }

  // Closing the window saves the settings with its geometry and hands the desktop its auto-play value back.
  void shutDownSavesSettingsAndRestoresAutoPlay() {
    Program program(kSampleCue, "[CDROM]\nDisableAutoPlay=1\n");
    QVERIFY(program.autoRun.never);
    program.window->resize(640, 420);
    program.window->close();
    QVERIFY(!program.autoRun.never);
    ProfileFile settings = ProfileFile::Load(program.home.Path() + "home/Settings.ini");
    QCOMPARE(settings.GetInt("Misc", "WindowWidth", 0), 640);
    QCOMPARE(settings.GetInt("Misc", "WindowHeight", 0), 420);
    QVERIFY(std::filesystem::exists(program.home.Path() + "home/db"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
