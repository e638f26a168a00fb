#pragma once

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "session/program_session.h"
#include "support/memory_auto_run.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"
#include "ui/batch_window.h"
#include "ui/main_window.h"
#include "ui/track_list_view.h"

namespace sonvarek::test {

inline const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";

// A disc of `tracks` silent tracks of three seconds each, as a CUE sheet and its image.
inline std::string WriteSilentDisc(const TempFolder& folder, int tracks) {
  std::string bin = folder / "silent.bin";
  std::ofstream(bin, std::ios::binary) << std::string(size_t{2352} * 225 * static_cast<size_t>(tracks), '\0');
  std::string cue = folder / "silent.cue";
  std::ofstream sheet(cue);
  sheet << "FILE \"silent.bin\" BINARY\n";
  for (int track = 1; track <= tracks; ++track) {
    char line[96];
    int seconds = (track - 1) * 3;
    std::snprintf(line, sizeof line, "  TRACK %02d AUDIO\n    INDEX 01 %02d:%02d:00\n", track, seconds / 60,
                  seconds % 60);
    sheet << line;
  }
  return cue;
}

// One program as the desktop starts it: its home, its disc image, its window.
struct DesktopProgram {
  explicit DesktopProgram(const std::string& cue, const std::string& settings = {}) {
    environment.Set("SONVAREK_CD_IMAGE", cue);
    std::filesystem::create_directories(home.Path() + "home");
    std::ofstream(home.Path() + "home/Settings.ini")
        << "[General]\nOutputFolder=" << home.Path() << "out\n" << settings;
    session = std::make_unique<ProgramSession>(home.Path() + "home", notice, autoRun);
    window = std::make_unique<MainWindow>(*session, notice);
    window->show();
    window->Start();
  }

  QTreeWidget& list() const { return *window->trackList(); }
  QString Title(int row) const { return list().topLevelItem(row)->text(1); }
  void Trigger(MainWindow::Command command) const { window->action(command)->trigger(); }
  BatchWindow* Batch() const { return window->findChild<BatchWindow*>(); }

  TempFolder home;
  ScopedEnvironment environment;
  RecordingNotice notice;
  MemoryAutoRun autoRun;
  std::unique_ptr<ProgramSession> session;
  std::unique_ptr<MainWindow> window;
};

// Runs `step` on the modal dialog of type T once its exec() shows it; the caller then
// starts what opens the dialog. False from `done()` until the step ran.
template <class T>
class WhenModal {
 public:
  explicit WhenModal(std::function<void(T&)> step) : step_(std::move(step)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      if (dialog == nullptr || !dialog->isVisible()) return;
      timer_.stop();
      step_(*dialog);
      // A step that failed half-way leaves the dialog open; closing it lets exec() return.
      if (dialog->isVisible()) dialog->reject();
      done_ = true;
    });
    timer_.start();
  }
  bool done() const { return done_; }

 private:
  std::function<void(T&)> step_;
  QTimer timer_;
  bool done_ = false;
};

}  // namespace sonvarek::test
