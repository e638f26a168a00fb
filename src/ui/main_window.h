#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <map>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "session/program_session.h"
#include "ui/qt_message_sink.h"

class QAction;
class QComboBox;
class QSlider;
class QSocketNotifier;
class QToolBar;

namespace sonvarek {

class MediaChangeWatcher;
class TrackListView;

// The main window: a view over the program session. It shows the drive box, the
// track list, the player display and the two status lines, and forwards every
// command to the session or to one of the program's dialogs. Dialogs open window-modal
// and report back when they finish, so the event loop never nests.
class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  // The ids of the commands, as the menus, the tool bar and tests reach them.
  enum class Command {
    EncodeMp3, EncodeOgg, Decode, Normalize, ImportCdPlayerIni, ExportCdPlayerIni, DefaultPlayer, ViewLog, Eject,
    Exit, TrackInfo, DiscInfo, SelectAll, SelectNone, InvertSelection, UpperCase, LowerCase, Capitalize,
    CopyToClipboard, Options, Extract, OpenOutputFolder, RefreshToc, Query, Submit, PlaySelected, PlayHighlighted,
    Stop, PreviousTrack, NextTrack, VolumeControl, Contents, HomePage, About, MoveFirst, MoveUp, MoveDown, MoveLast,
    Pause, Minimize,
  };

  // `session` is made and its settings loaded; Start runs its start-up and shows the disc.
  MainWindow(ProgramSession& session, UserNotice& notice, QWidget* parent = nullptr);
  ~MainWindow() override;

  void Start();
  QAction* action(Command command) const { return actions_.at(command); }
  // A file batch of the chosen files, as the four conversion commands start it after their file dialog.
  void RunFileBatch(BatchKind kind, const std::vector<std::string>& files);
  // A second start of the program asked for this window.
  void BringToFront();
  // What a start asked for: `rip` rips every audio track of the disc; WAV files are
  // encoded to MP3 and MP3 files decoded, one batch after another.
  void Open(bool rip, const std::vector<std::string>& files);
  TrackListView* trackList() const { return list_; }
  MessageSink& sink() { return *sink_; }
  // The settings' geometry of this window as it stands.
  WindowGeometry Geometry() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildToolBar();
  void BuildCentre();
  QAction* MakeAction(Command command, const char* text, const QKeySequence& keys, const char* status,
                      const char* icon, void (MainWindow::*slot)());
  void Render();
  void RenderPlayer();
  void RenderDrives();
  void HandleMessage(const WindowMessage& message);
  void WatchMedia();
  void WatchVolume();
  void ShowBatch(std::unique_ptr<ConversionBatch> batch);
  void RunPendingBatch();
  void ChooseFiles(BatchKind kind);
  void ApplyColours();

  void EncodeMp3() { ChooseFiles(BatchKind::EncodeMp3); }
  void EncodeOgg() { ChooseFiles(BatchKind::EncodeOgg); }
  void Decode() { ChooseFiles(BatchKind::Decode); }
  void Normalize() { ChooseFiles(BatchKind::Normalize); }
  void ImportCdPlayerIni();
  void ExportCdPlayerIni();
  void DefaultPlayer();
  void ViewLog();
  void Eject();
  void Exit() { close(); }
  void TrackInfo();
  void DiscInfo();
  void SelectAll();
  void SelectNone();
  void InvertSelection();
  void UpperCase();
  void LowerCase();
  void Capitalize();
  void CopyToClipboard();
  void Options();
  void Extract();
  void OpenOutputFolder();
  void RefreshToc();
  void Query();
  void Submit();
  void PlaySelected();
  void PlayHighlighted();
  void Stop();
  void PreviousTrack();
  void NextTrack();
  void Pause();
  void VolumeControl();
  void Contents();
  void HomePage();
  void About();
  void MoveFirst();
  void MoveUp();
  void MoveDown();
  void MoveLast();
  void Minimize() { showMinimized(); }
  void Move(TrackListResult (TrackList::*move)());
  void StopBatch();

  ProgramSession& session_;
  UserNotice& notice_;
  std::unique_ptr<QtMessageSink> sink_;
  std::map<Command, QAction*> actions_;
  TrackListView* list_ = nullptr;
  QComboBox* drives_ = nullptr;
  QLabel* time_ = nullptr;
  QSlider* seek_ = nullptr;
  QSlider* volume_ = nullptr;
  QLabel* deviceLine_ = nullptr;
  QLabel* discLine_ = nullptr;
  QTimer playerTimer_;
  std::unique_ptr<MediaChangeWatcher> media_;
  QSocketNotifier* mediaNotifier_ = nullptr;
  std::vector<QSocketNotifier*> volumeNotifiers_;
  bool shutDown_ = false;
  // File batches asked for while another one runs; started in turn.
  std::vector<std::pair<BatchKind, std::vector<std::string>>> pendingBatches_;
};

}  // namespace sonvarek
