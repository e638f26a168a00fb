// Draws the desktop program's windows as a user sees them, each into a PNG file:
//
//   sonvarek-screenshots OUT_DIR CUE_SHEET CDDB_PORT HOME
//
// HOME is a fresh program folder; CDDB_PORT a cddb server on 127.0.0.1 that knows the
// disc. Run under a display (tools/take-screenshots starts Xvfb and the server).
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <string>

#include "core/window_messages.h"
#include "freedb/cddb_request.h"
#include "session/program_session.h"
#include "ui/batch_window.h"
#include "ui/disc_info_dialog.h"
#include "ui/icon_theme.h"
#include "ui/main_window.h"
#include "ui/message_box_notice.h"
#include "ui/options_dialog.h"
#include "ui/query_window.h"
#include "ui/rip_log_window.h"
#include "ui/track_info_dialog.h"

using namespace sonvarek;

namespace {

// The desktop's auto-play value is left alone while drawing.
class NoAutoRun final : public AutoRunSetting {
 public:
  std::optional<bool> ReadNever() override { return std::nullopt; }
  bool WriteNever(bool) override { return false; }
};

constexpr char kExampleRipLog[] =
    "Sonvarek Maker rip log\n"
    "\n"
    "Drive:        Image drive (sample-disc.cue)\n"
    "Read offset:  +667 samples\n"
    "Secure mode:  on, 4 retries\n"
    "\n"
    "Track  1   Test CRC 5C1A9E07   Copy CRC 5C1A9E07   Accurately ripped (confidence 12)\n"
    "Track  2   Test CRC 0D44B6F1   Copy CRC 0D44B6F1   Accurately ripped (confidence 12)\n"
    "Track  3   Test CRC 9E0F3A22   Copy CRC 9E0F3A22   Accurately ripped (confidence 11)\n"
    "Track  4   Test CRC 31B7C850   Copy CRC 31B7C850   Accurately ripped (confidence 12)\n"
    "Track  5   Test CRC 7A0B1C2D   Copy CRC 7A0B1C2D   Not accurately ripped\n"
    "\n"
    "1 track not verified\n";

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 60000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > milliseconds) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// Lets the window settle (layouts, style polish) before it is drawn, then draws it under
// a plain caption bar with its title: Xvfb has no window manager to draw frames.
void Save(QWidget* window, const QString& path) {
  WaitFor([] { return false; }, 300);
  QPixmap body = window->grab();
  int bar = window->fontMetrics().height() + 12;
  QPixmap picture(body.width(), body.height() + bar);
  picture.fill(window->palette().color(QPalette::Window));
  QPainter painter(&picture);
  painter.fillRect(0, 0, body.width(), bar, window->palette().color(QPalette::Dark));
  painter.setPen(window->palette().color(QPalette::BrightText));
  QFont font = window->font();
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(0, 0, body.width(), bar), Qt::AlignCenter, window->windowTitle());
  painter.drawPixmap(0, bar, body);
  painter.end();
  picture.save(path);
  std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: sonvarek-screenshots OUT_DIR CUE_SHEET CDDB_PORT HOME\n", stderr);
    return 64;
  }
  QString out = argv[1];
  setenv("SONVAREK_CD_IMAGE", argv[2], 1);
  QApplication application(argc, argv);
  UseInstalledIconThemeWhenNoneIsSet();
  MessageBoxNotice notice;
  NoAutoRun autoRun;
  ProgramSession session(argv[4], notice, autoRun);
  MainWindow window(session, notice);
  window.resize(720, 460);
  window.show();
  window.Start();
  DiscSession& disc = session.disc();

  // The query dialog with the server's candidates.
  CddbRequest request = QueryRequestFromSettings(session.settings());
  request.host = "127.0.0.1";
  request.port = static_cast<uint16_t>(std::stoi(argv[3]));
  auto* query = new QueryWindow(disc, request, notice, &window);
  query->show();
  if (!WaitFor([&] { return query->model().pane() == QueryPane::Candidates; })) return 1;
  Save(query, out + "/query-candidates.png");
  int rock = 0;
  for (size_t i = 0; i < query->model().candidates().size(); ++i) {
    if (query->model().candidates()[i].category == "rock") rock = static_cast<int>(i);
  }
  query->ChooseCandidate(rock);
  if (!WaitFor([&] { return query->isHidden(); })) return 1;
  window.activateWindow();
  disc.tracks().Highlight(1);
  window.action(MainWindow::Command::RefreshToc)->trigger();
  disc.tracks().Highlight(1);
  window.action(MainWindow::Command::SelectAll)->trigger();
  Save(&window, out + "/main-window.png");

  // A rip of one long track, drawn in progress and at its end.
  disc.tracks().SelectNone();
  disc.tracks().SetChecked(3, true);
  window.action(MainWindow::Command::Extract)->trigger();
  auto* batch = window.findChild<BatchWindow*>();
  if (!batch) return 1;
  if (!WaitFor([&] { return batch->model().pane() == BatchPane::EncodeProgress && batch->model().encodePane().barPercent >= 30; }))
    return 1;
  Save(batch, out + "/batch-progress.png");
  if (!WaitFor([&] { return batch->model().finished(); })) return 1;
  Save(batch, out + "/batch-success.png");

  // The same pane at the end of a verified rip of the whole disc, and its rip log. The
  // end is handed over as the rip worker hands it, so the picture needs no database.
  const std::string ripLog = session.folders().programFolder + "/Sample Disc.log";
  if (FILE* file = std::fopen(ripLog.c_str(), "w")) {
    std::fputs(kExampleRipLog, file);
    std::fclose(file);
  }
  auto end = std::make_shared<BatchEnd>();
  end->files = batch->model().successFiles();
  end->folder = batch->model().successFolder();
  end->verdicts = {"Track 1: Accurately ripped (confidence 12) [5C1A9E07] (AR v2)",
                   "Track 2: Accurately ripped (confidence 12) [0D44B6F1] (AR v2)",
                   "Track 3: Accurately ripped (confidence 11) [9E0F3A22] (AR v1)",
                   "Track 4: Accurately ripped (confidence 12) [31B7C850] (AR v2)",
                   "Track 5: Not accurately ripped"};
  end->ripLogPath = ripLog;
  batch->sink()->Send({Message::BatchSucceeded, 0, 0, {}, end});
  Save(batch, out + "/batch-success-verified.png");
  batch->findChild<QPushButton*>("viewRipLogButton")->click();
  auto* ripLogWindow = batch->findChild<RipLogWindow*>();
  if (!ripLogWindow) return 1;
  Save(ripLogWindow, out + "/rip-log.png");
  ripLogWindow->close();
  batch->close();

  // The options sheet, page by page, and the two information dialogs.
  std::vector<std::string> units;
  for (const DeviceRecord& unit : disc.Units()) units.push_back(unit.DisplayName());
  OptionsDialog options(session.settings(), units, session.folders(), notice, &window);
  options.show();
  const char* pageFiles[] = {"output", "mp3", "ogg", "freedb", "cdrom", "appearance", "misc1", "misc2"};
  for (int page = 0; page < 8; ++page) {
    options.ShowPage(static_cast<OptionsPage>(page));
    Save(&options, out + "/options-" + pageFiles[page] + ".png");
  }
  options.reject();
  disc.tracks().Highlight(1);
  std::optional<TrackInfoEditor> editor = TrackInfoEditor::Open(disc);
  if (!editor) return 1;
  TrackInfoDialog trackInfo(std::move(*editor), &window);
  trackInfo.show();
  Save(&trackInfo, out + "/track-info.png");
  trackInfo.ToggleExpanded();
  Save(&trackInfo, out + "/track-info-expanded.png");
  trackInfo.reject();
  DiscInfoDialog discInfo(disc, &window);
  discInfo.show();
  Save(&discInfo, out + "/disc-info.png");
  discInfo.reject();
  window.close();
  return 0;
}
