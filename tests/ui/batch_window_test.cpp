#include <QDialogButtonBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "core/settings_store.h"
#include "core/string_table.h"
#include "core/window_messages.h"
#include "session/batch_session.h"
#include "session/disc_session.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"
#include "support/wav_fixture.h"
#include "ui/batch_window.h"
#include "ui/child_widget.h"
#include "ui/log_window.h"
#include "ui/rip_log_window.h"

using namespace sonvarek;
using namespace std::chrono_literals;

namespace {

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";
const std::vector<int16_t> kQuietSamples = {1000, -1000, 16384, 0};
const std::vector<int16_t> kNormalizedSamples = {1900, -1899, 31129, 0};

QString Q(const std::string& text) { return QString::fromStdString(text); }

// What the desktop program gives a batch window: WAV output into a folder of the test,
// a worker controller without MP3 encoder, a main window's end that stores log lines.
struct Harness {
  Harness() {
    settings = DefaultSettings({home.Path(), home / "out", home.Path()});
    UseOutputFolder(settings, home / "out");
    settings.temporaryFolder = home.Path();
    settings.OutputFormat = static_cast<int32_t>(OutputFormat::Wav);
    settings.NamingRule = "<number>";
    settings.bOpenOutputFolder = 0;
  }
  // The worker never outlives the test: it may be waiting for this thread to handle a send.
  ~Harness() {
    controller.Cancel();
    while (!controller.WaitFor(10ms)) QCoreApplication::processEvents();
  }

  std::unique_ptr<BatchWindow> Window(std::unique_ptr<ConversionBatch> batch) {
    return std::make_unique<BatchWindow>(controller, std::move(batch), mainWindow, log, notice);
  }
  std::unique_ptr<BatchWindow> Normalize(const std::vector<std::string>& files) {
    return Window(MakeFileBatch(BatchKind::Normalize, files, settings));
  }
  std::vector<std::string> QuietFiles(std::initializer_list<const char*> names) const {
    std::vector<std::string> files;
    for (const char* name : names) {
      files.push_back(home / name);
      test::WriteWav(files.back(), kQuietSamples);
    }
    return files;
  }
  bool LogHas(const std::string& part) const {
    std::vector<std::string> lines = log.Lines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != l.npos; });
  }

  test::TempFolder home;
  Settings settings;
  JobLog log;
  QtMessageSink mainWindow{[this](const WindowMessage& message) {
    if (message.id == Message::LogLine) log.Append(message.text);
  }};
  RecordingNotice notice;
  Mp3EncoderLibrary noEncoder;
  BatchController controller{noEncoder};
};

using test::Child;

QString VisiblePane(const BatchWindow& window) {
  QStringList visible;
  for (const char* name : {"extractPane", "encodePane", "errorPane", "successPane"}) {
    if (Child<QWidget>(window, name)->isVisible()) visible << name;
  }
  return visible.join(",");
}

void WriteScript(const std::string& path, const std::string& body) {
  test::WriteWholeFile(path, "#!/bin/sh\n" + body);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

QStringList SortedLines(const std::string& path) {
  QStringList lines = Q(test::ReadWholeFile(path)).split('\n', Qt::SkipEmptyParts);
  lines.sort();
  return lines;
}

}  // namespace

class BatchWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // A normalize batch of two files runs to the success pane: the files changed, the
  // window titled by each job in turn, the progress drawn as the model has it.
  void fileBatchEndsInTheSuccessPane() {
    Harness h;
    std::vector<std::string> files = h.QuietFiles({"a.wav", "b.wav"});
    auto window = h.Normalize(files);
    QStringList titles;
    connect(window.get(), &QWidget::windowTitleChanged, this, [&titles](const QString& t) { titles << t; });
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(window->model().finished(), 30000);

    QCOMPARE(VisiblePane(*window), QString("successPane"));
    QCOMPARE(window->windowTitle(), QString(text::kBatchTitleFinished));
    QCOMPARE(Child<QPushButton>(*window, "batchButton")->text(), QString(text::kBatchButtonClose));
    QCOMPARE(window->model().successFiles(), files);
    for (const std::string& file : files) QCOMPARE(test::ReadWavSamples(file), kNormalizedSamples);
    QCOMPARE(titles.filter(QRegularExpression("\\(01/02\\): " + QRegularExpression::escape(Q(files[0])) + "$"))
                 .isEmpty(),
             false);
    QCOMPARE(titles.filter(QRegularExpression("\\(02/02\\): " + QRegularExpression::escape(Q(files[1])) + "$"))
                 .isEmpty(),
             false);
    QCOMPARE(titles.back(), QString(text::kBatchTitleFinished));

    // The pane that showed the normalizing keeps its last state: a full bar whose text
    // is the model's, '%' and all.
    const ProgressPane& pane = window->model().extractPane();
    auto* bar = Child<QProgressBar>(*window, "extractBar");
    QCOMPARE(bar->value(), 100);
    QCOMPARE(bar->text(), QString("100.0%"));
    QCOMPARE(Child<QGroupBox>(*window, "extractGroup")->title(), Q(pane.groupText));
    QCOMPARE(Child<QLabel>(*window, "extractElapsed")->text(), Q(pane.elapsed));
    QCOMPARE(Child<QLabel>(*window, "extractEstimated")->text(), Q(pane.estimated));
    QVERIFY(h.notice.texts.empty());

    QTest::mouseClick(Child<QPushButton>(*window, "batchButton"), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Accepted));
    QVERIFY(!h.controller.CancelRequested());
  }

  // A rip of two tracks of the sample disc writes both as WAV files of their length.
  void ripOfTheSampleDiscEndsWithItsTracks() {
    Harness h;
    test::TempFolder programFolder;
    DiscSession session(h.settings, h.notice, programFolder.Path());
    QCOMPARE(session.Open(DriveChoice{std::nullopt, kSampleCue}), DiscResult::Ready);
    QVERIFY(session.SelectTracks("1,2"));
    auto window = h.Window(MakeRipBatch(session, h.settings));
    QStringList titles;
    connect(window.get(), &QWidget::windowTitleChanged, this, [&titles](const QString& t) { titles << t; });
    window->show();
    QCOMPARE(VisiblePane(*window), QString("extractPane"));
    QCOMPARE(Child<QGroupBox>(*window, "extractGroup")->title(), QString(text::kGroupExtracting));
    QTRY_VERIFY_WITH_TIMEOUT(window->model().finished(), 120000);

    QCOMPARE(VisiblePane(*window), QString("successPane"));
    std::vector<std::string> wavs = {h.home / "out/01.WAV", h.home / "out/02.WAV"};
    QCOMPARE(window->model().successFiles(), wavs);
    for (size_t i = 0; i < wavs.size(); ++i) {
      QCOMPARE(std::filesystem::file_size(wavs[i]), 44 + uint64_t{session.reading().tracks[i].Length()} * 2352);
    }
    QCOMPARE(titles.filter(QRegularExpression("^Extracting\\(01/02\\): ")).size(), 1);
    QCOMPARE(titles.filter(QRegularExpression("^Extracting\\(02/02\\): ")).size(), 1);
    QCOMPARE(Child<QProgressBar>(*window, "extractBar")->text(), QString("100.0%"));
  }

  // The play list gets the files after what it held, and the user is told either way.
  void createPlaylistAppendsAndTells() {
    Harness h;
    std::vector<std::string> files = h.QuietFiles({"a.wav", "b.wav"});
    auto window = h.Normalize(files);
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(window->model().finished(), 30000);

    const std::string list = h.home / "list.m3u";
    test::WriteWholeFile(list, "/music/old.mp3\n");
    QVERIFY(window->CreatePlaylist(Q(list)));
    QCOMPARE(test::ReadWholeFile(list), "/music/old.mp3\n" + files[0] + "\n" + files[1] + "\n");
    QCOMPARE(h.notice.texts, std::vector<std::string>{text::kPlaylistCreated});

    QVERIFY(!window->CreatePlaylist(Q(h.home / "no-such-folder/list.m3u")));
    QCOMPARE(h.notice.texts.back(), std::string(text::kPlaylistFailed));
    QVERIFY(!std::filesystem::exists(h.home / "no-such-folder"));
  }

  // "Play Now!" starts the player of the batch's settings once per file made, with its
  // parameters; a player that cannot start is named in the notice.
  void playNowStartsThePlayerPerFile_data() {
    QTest::addColumn<bool>("playerExists");
    QTest::newRow("player starts") << true;
    QTest::newRow("player missing") << false;
  }
  void playNowStartsThePlayerPerFile() {
    QFETCH(bool, playerExists);
    Harness h;
    const std::string player = h.home / "player";
    const std::string record = h.home / "played";
    if (playerExists) WriteScript(player, "printf '%s|%s\\n' \"$1\" \"$2\" >> '" + record + "'\n");
    h.settings.MP3Player = player + "  ";
    h.settings.MP3PlayerParameters = "--enqueue";
    std::vector<std::string> files = h.QuietFiles({"a.wav", "b.wav"});
    auto window = h.Normalize(files);
    h.settings.MP3Player.clear();  // the window plays with the batch's own settings
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(window->model().finished(), 30000);

    QTest::mouseClick(Child<QPushButton>(*window, "playNowButton"), Qt::LeftButton);
    if (playerExists) {
      QStringList expected = {Q("--enqueue|" + files[0]), Q("--enqueue|" + files[1])};
      QTRY_COMPARE_WITH_TIMEOUT(SortedLines(record), expected, 10000);
      QVERIFY(h.notice.texts.empty());
    } else {
      QCOMPARE(h.notice.texts, std::vector<std::string>{FormatText(text::kPlayerLaunchFailed, player)});
    }
  }

  // With bOpenOutputFolder the output folder is handed to the desktop's opener once; when
  // there is no opener the user hears why the folder did not appear.
  void successOpensTheOutputFolder_data() {
    QTest::addColumn<bool>("openerExists");
    QTest::newRow("opener") << true;
    QTest::newRow("no opener") << false;
  }
  void successOpensTheOutputFolder() {
    QFETCH(bool, openerExists);
    Harness h;
    const std::string bin = h.home / "bin";
    const std::string record = h.home / "opened";
    std::filesystem::create_directories(bin);
    if (openerExists) WriteScript(bin + "/xdg-open", "printf '%s\\n' \"$*\" >> '" + record + "'\n");
    test::ScopedEnvironment environment;
    environment.Set("PATH", bin);
    h.settings.bOpenOutputFolder = 1;
    auto window = h.Normalize(h.QuietFiles({"a.wav"}));
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(window->model().finished(), 30000);

    if (openerExists) {
      QTRY_COMPARE_WITH_TIMEOUT(SortedLines(record), QStringList{Q(h.home / "out")}, 10000);
      window->close();
      QCoreApplication::processEvents();
      QCOMPARE(SortedLines(record), QStringList{Q(h.home / "out")});
      QVERIFY(h.notice.texts.empty());
    } else {
      QTRY_COMPARE(h.notice.texts.size(), size_t{1});
      QVERIFY(h.notice.texts[0].starts_with(FormatText(text::kCantOpenFolderAfterRip, h.home / "out", "")));
    }
  }

  // A batch without verdicts shows none and no "View Rip Log..."; a rip's end shows
  // one line per track under the pane's message, and the button opens the log read
  // as UTF-8 in a read-only, fixed-pitch viewer.
  void successPaneShowsVerdictsAndTheRipLog() {
    Harness h;
    auto window = h.Normalize(h.QuietFiles({"a.wav"}));
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(window->model().finished(), 30000);
    auto* verdicts = Child<QListWidget>(*window, "verdictList");
    auto* viewRipLog = Child<QPushButton>(*window, "viewRipLogButton");
    QVERIFY(Child<QLabel>(*window, "successText")->isVisible());
    QVERIFY(!verdicts->isVisible());
    QVERIFY(!viewRipLog->isVisible());

    const std::string log = h.home / "Sample Disc.log";
    const std::string logText = "Sonvarek Maker rip log\n\nTrack  1\n  Copy CRC  0A1B2C3D\n  Titel \u00BBZw\u00F6lf\u00AB\n";
    test::WriteWholeFile(log, logText);
    auto end = std::make_shared<BatchEnd>();
    end->files = {h.home / "01.WAV", h.home / "02.WAV"};
    end->verdicts = {"Track 1: Accurately ripped (confidence 5) [0A1B2C3D] (AR v2)", "Track 2: Not accurately ripped",
                     "Track 3: Not present in database", "Track 4: Not looked up", "Track 5: Not accurately ripped"};
    end->ripLogPath = log;
    window->sink()->Send({Message::BatchSucceeded, 0, 0, {}, end});

    QCOMPARE(VisiblePane(*window), QString("successPane"));
    QVERIFY(verdicts->isVisible());
    QCOMPARE(verdicts->count(), 5);
    for (int i = 0; i < 5; ++i) QCOMPARE(verdicts->item(i)->text(), Q(end->verdicts[size_t(i)]));
    // A short disc's lines all show, without scrolling.
    QTRY_VERIFY(verdicts->visualItemRect(verdicts->item(4)).bottom() < verdicts->viewport()->height());
    QVERIFY(verdicts->geometry().top() > Child<QLabel>(*window, "successText")->geometry().bottom());
    QVERIFY(viewRipLog->isVisible());
    QCOMPARE(viewRipLog->text(), QString(text::kViewRipLogButton));

    QTest::mouseClick(viewRipLog, Qt::LeftButton);
    auto* viewer = window->findChild<RipLogWindow*>();
    QVERIFY(viewer != nullptr);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->windowModality(), Qt::WindowModal);
    QCOMPARE(viewer->windowTitle(), QString("Rip Log - Sample Disc.log"));
    QCOMPARE(viewer->text()->toPlainText(), QString::fromUtf8(logText));
    QVERIFY(viewer->text()->isReadOnly());
    QVERIFY(QFontInfo(viewer->text()->font()).fixedPitch());
    QVERIFY(h.notice.texts.empty());
    QPointer<RipLogWindow> closing(viewer);
    Child<QDialogButtonBox>(*viewer, "buttons")->button(QDialogButtonBox::Close)->click();
    QVERIFY(!viewer->isVisible());
    QTRY_VERIFY(closing.isNull());  // deleted once closed
    QVERIFY(window->isVisible());
  }

  // A rip log that cannot be read is told as an error, and no viewer opens.
  void unreadableRipLogIsTold() {
    Harness h;
    auto window = h.Normalize(h.QuietFiles({"a.wav"}));
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(window->model().finished(), 30000);
    for (const std::string& path : {h.home / "gone.log", h.home.Path()}) {
      auto end = std::make_shared<BatchEnd>();
      end->verdicts = {"Track 1: Not accurately ripped"};
      end->ripLogPath = path;
      window->sink()->Send({Message::BatchSucceeded, 0, 0, {}, end});
      h.notice.texts.clear();
      QTest::mouseClick(Child<QPushButton>(*window, "viewRipLogButton"), Qt::LeftButton);
      QCOMPARE(h.notice.texts.size(), size_t{1});
      QVERIFY2(h.notice.texts[0].starts_with(FormatText(text::kCantReadRipLog, path, "")), h.notice.texts[0].c_str());
      QVERIFY(window->findChild<RipLogWindow*>() == nullptr);
    }
  }

  // A batch whose file is missing ends in the error pane, whose "View Log..." shows
  // the log's lines, the failure among them.
  void failedBatchShowsTheErrorPaneAndTheLog() {
    Harness h;
    const std::string missing = h.home / "missing.wav";
    h.log.Append("(2026-01-01 10:00:00) an earlier line");
    auto window = h.Normalize({missing});
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(window->model().failed(), 30000);

    QCOMPARE(VisiblePane(*window), QString("errorPane"));
    QCOMPARE(Child<QLabel>(*window, "errorText")->text(), QString(text::kErrorPaneText));
    QCOMPARE(Child<QPushButton>(*window, "batchButton")->text(), QString(text::kBatchButtonClose));
    QVERIFY(h.LogHas("Can't open file " + missing));

    QTest::mouseClick(Child<QPushButton>(*window, "viewLogButton"), Qt::LeftButton);
    auto* logWindow = window->findChild<LogWindow*>();
    QVERIFY(logWindow != nullptr);
    QVERIFY(logWindow->isVisible());
    QCOMPARE(logWindow->windowTitle(), QString(text::kLogWindowCaption));
    std::vector<std::string> lines = h.log.Lines();
    QCOMPARE(logWindow->lines()->count(), int(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
      QCOMPARE(logWindow->lines()->item(int(i))->text(), Q(lines[i]).trimmed());
    }
    logWindow->accept();

    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Rejected));
  }

  // Closing mid-batch, by Escape, the close box or the button, cancels the batch at
  // once: the window is gone before the worker ends, the file is left as it was, and
  // what the worker sends afterwards reaches no window, even a destroyed one.
  void closingMidBatchCancelsIt_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("destroy");
    QTest::newRow("escape") << "escape" << false;
    QTest::newRow("close box, window deleted") << "close" << true;
    QTest::newRow("abort button") << "button" << false;
  }
  void closingMidBatchCancelsIt() {
    QFETCH(QString, how);
    QFETCH(bool, destroy);
    Harness h;
    const std::string file = h.home / "long.wav";
    test::WriteWav(file, std::vector<int16_t>(1 << 20, 1000));
    const std::string before = test::ReadWholeFile(file);
    auto window = h.Normalize({file});
    window->show();
    // No event handled yet: the worker waits for the window to take its first phase.
    QVERIFY(h.controller.IsRunning());
    QCOMPARE(Child<QPushButton>(*window, "batchButton")->text(), QString(text::kBatchButtonAbort));
    if (how == "escape") QTest::keyClick(window.get(), Qt::Key_Escape);
    if (how == "close") window->close();
    if (how == "button") QTest::mouseClick(Child<QPushButton>(*window, "batchButton"), Qt::LeftButton);

    QVERIFY(!window->isVisible());
    QVERIFY(window->model().closed());
    QVERIFY(h.controller.CancelRequested());
    const std::string titleAtClose = window->model().title();
    if (destroy) window.reset();
    QTRY_VERIFY_WITH_TIMEOUT(h.controller.WaitFor(0ms), 30000);
    QCOMPARE(test::ReadWholeFile(file), before);
    QVERIFY(h.LogHas("User canceled the operation."));
    if (!destroy) {
      QCoreApplication::processEvents();
      QVERIFY(!window->model().finished());
      QCOMPARE(window->model().title(), titleAtClose);
    }
  }

  // A second window while the first one's worker runs is refused with a notice and
  // closes; its batch never starts and the first batch is not cancelled by it.
  void secondBatchIsRefusedWhileTheFirstRuns() {
    Harness h;
    std::vector<std::string> first = h.QuietFiles({"first.wav"});
    std::vector<std::string> second = h.QuietFiles({"second.wav"});
    auto running = h.Normalize(first);
    running->show();
    QVERIFY(h.controller.IsRunning());  // held at its first send until events are handled

    auto refused = h.Normalize(second);
    refused->show();
    QTRY_COMPARE(h.notice.texts, std::vector<std::string>{text::kBatchStillRunning});
    QTRY_VERIFY(!refused->isVisible());
    QVERIFY(!h.controller.CancelRequested());

    QTRY_VERIFY_WITH_TIMEOUT(running->model().finished(), 30000);
    QCOMPARE(test::ReadWavSamples(first[0]), kNormalizedSamples);
    QCOMPARE(test::ReadWavSamples(second[0]), kQuietSamples);
    QVERIFY(!refused->model().finished());
  }
};

QTEST_MAIN(BatchWindowTest)
#include "batch_window_test.moc"
