// The batch, log, query and submission windows over real batches and a loopback cddb server.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <chrono>
#include <filesystem>

#include "core/string_table.h"
#include "session/batch_session.h"
#include "session/disc_session.h"
#include "support/loopback_servers.h"
#include "support/temp_folder.h"
#include "ui/sample_disc_session.h"
#include "ui/batch_window.h"
#include "ui/log_window.h"
#include "ui/query_window.h"
#include "ui/submit_window.h"

using namespace sonvarek;

namespace {

using Disc = test::SampleDiscSession;

QString Label(QWidget& window, const char* name) { return window.findChild<QLabel*>(name)->text(); }

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // The log window reads the log once, at opening; "&Clear" empties log and list.
  void logWindowShowsClearsAndRereads() {
    JobLog log;
    log.Append("first");
    log.Append("second");
    LogWindow window(log);
    log.Append("later");
    QCOMPARE(window.lines()->count(), 2);
    QCOMPARE(window.lines()->item(1)->text(), QString("second"));
    LogWindow again(log);
    QCOMPARE(again.lines()->count(), 3);
    again.findChild<QPushButton*>("clearButton")->click();
    QCOMPARE(again.lines()->count(), 0);
    QCOMPARE(log.Size(), size_t{0});
  }

  // A batch that fails ends in the error pane, whose button shows the log's lines.
  void failingBatchShowsTheErrorPaneAndTheLog() {
    test::TempFolder folder;
    Settings settings;
    settings.OutputFolder = settings.effectiveOutputFolder = folder.Path();
    Mp3EncoderLibrary library;
    BatchController controller(library);
    JobLog log;
    QtMessageSink mainWindow([&log](const WindowMessage& message) {
      if (message.id == Message::LogLine) log.Append(message.text);
    });
    RecordingNotice notice;
    auto* window = new BatchWindow(controller, MakeFileBatch(BatchKind::Normalize, {folder / "missing.wav"}, settings),
                                   mainWindow, log, notice);
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(window->model().failed(), 20000);
    QCOMPARE(notice.texts, std::vector<std::string>{});
    QVERIFY(window->model().failed());
    QCOMPARE(window->findChild<QPushButton*>("batchButton")->text(), QString("Close"));
    QVERIFY(log.Size() > 0);
    window->findChild<QPushButton*>("viewLogButton")->click();
    auto* logWindow = window->findChild<LogWindow*>();
    QVERIFY(logWindow != nullptr);
    QCOMPARE(logWindow->lines()->count(), static_cast<int>(log.Size()));
    delete window;
  }

  // A query with two matches offers both; the chosen one names the disc and its tracks.
  void queryFillsTheDiscFromTheChosenCandidate() {
    Disc disc;
    disc.AddEntry("jazz", test::SampleEntry("Second / Two", "Jazz"));
    disc.AddEntry("rock", test::SampleEntry("First / One", "Rock"));
    test::CddbServer server(disc.database.Path());
    QVERIFY(server.up());
    QueryWindow window(disc.session, disc.QueryTo(server.port()), disc.notice);
    window.show();
    auto* list = window.findChild<QTreeWidget*>("candidates");
    QTRY_VERIFY_WITH_TIMEOUT(window.model().pane() == QueryPane::Candidates, 10000);
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(1)->text(1), QString("First"));
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    QVERIFY(window.findChild<QPushButton*>("okButton")->isEnabled());
    QVERIFY(window.ChooseCandidate(1));
    QTRY_COMPARE_WITH_TIMEOUT(window.result(), int(QDialog::Accepted), 10000);
    QCOMPARE(disc.session.disc().entries[0].Artist, std::string("First"));
    QCOMPARE(disc.session.tracks().Rows()[2].title, std::string("Rock 3"));
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void queryWithoutMatchShowsTheNoMatchPane() {
    Disc disc;
    test::CddbServer server(disc.database.Path());
    QueryWindow window(disc.session, disc.QueryTo(server.port()), disc.notice);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.model().pane() == QueryPane::NoMatch, 10000);
    QCOMPARE(Label(window, "noMatchText"), QString(text::kCddbNoMatch));
    QCOMPARE(disc.session.tracks().Rows()[0].title, std::string("Track 1"));
  }

  // Cancel against a server that never answers closes the dialog at once, cursor restored.
  void cancelAgainstASilentServerClosesPromptly() {
    Disc disc;
    test::LoopbackPeer silent([](int connection) {
      char buffer[256];
      while (recv(connection, buffer, sizeof buffer, 0) > 0) {
      }
    });
    QueryWindow window(disc.session, disc.QueryTo(silent.port()), disc.notice);
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(window.model().status(), std::string(text::kCddbReceivingQuery), 10000);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    auto cancelled = std::chrono::steady_clock::now();
    window.findChild<QPushButton*>("cancelButton")->click();
    QVERIFY(QApplication::overrideCursor() != nullptr);  // the wait cursor while the worker ends
    QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), 5000);
    QVERIFY(std::chrono::steady_clock::now() - cancelled < std::chrono::milliseconds(1500));
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  // Validation keeps the editor and sends nothing; an edited title reaches the disc at
  // once; a valid submission lands on the server.
  void submissionValidatesEditsAndLands() {
    Disc disc;
    test::CddbServer server(disc.database.Path());
    SubmitWindow window(disc.session, disc.SubmitTo(server.port()), disc.home / "cddb.txt", disc.notice);
    window.show();
    QVERIFY(!window.Submit());
    QCOMPARE(disc.notice.texts, std::vector<std::string>{text::kSubmitNeedsArtist});
    QVERIFY(window.model().pane() == SubmitPane::Editor);

    window.findChild<QLineEdit*>("artistEdit")->setText("Band");
    window.findChild<QLineEdit*>("albumEdit")->setText("Record");
    window.findChild<QComboBox*>("genreBox")->setCurrentText("rock");
    auto* titles = window.findChild<QTreeWidget*>("titleList");
    for (int row = 0; row < titles->topLevelItemCount(); ++row) titles->topLevelItem(row)->setText(1, QString("Song %1").arg(row + 1));
    QCOMPARE(disc.session.disc().entries[3].Title, std::string("Song 3"));
    QCOMPARE(disc.session.tracks().Rows()[2].title, std::string("Song 3"));
    QVERIFY(window.Submit());
    QCOMPARE(disc.notice.texts.size(), size_t{1});
    QTRY_VERIFY_WITH_TIMEOUT(window.model().pane() != SubmitPane::Progress, 10000);
    QVERIFY(window.model().pane() == SubmitPane::Succeeded);
    QCOMPARE(window.findChild<QPushButton*>("cancelButton")->text(), QString("&Close"));
    QVERIFY(std::filesystem::exists(server.submissions() + "/rock-" + test::kSampleFreedbId + "-1.txt"));
  }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
