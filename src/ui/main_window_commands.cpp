// The main window's commands: each forwards to the program session or opens a dialog.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "core/string_table.h"
#include "core/text_format.h"
#include "freedb/cddb_request.h"
#include "freedb/submit_dialog.h"
#include "jobs/player_launch.h"
#include "platform/process.h"
#include "platform/volume_program.h"
#include "session/disc_submission.h"
#include "ui/batch_window.h"
#include "ui/dialog_support.h"
#include "ui/disc_info_dialog.h"
#include "ui/file_batch_dialog.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/query_window.h"
#include "ui/submit_window.h"
#include "ui/track_info_dialog.h"
#include "ui/track_list_view.h"

namespace sonvarek {
namespace {

// Where the HTML manual lies: installed beside the program, else in the source tree's docs.
QString ManualPath() {
  QString folder = QCoreApplication::applicationDirPath();
  for (const QString& candidate :
       {folder + "/../share/doc/sonvarek-maker/manual/index.html", QStringLiteral(SONVAREK_SOURCE_DIR "/docs/manual/index.html")}) {
    if (QFileInfo::exists(candidate)) return QFileInfo(candidate).canonicalFilePath();
  }
  return folder + "/../share/doc/sonvarek-maker/manual/index.html";
}

}  // namespace

void MainWindow::ChooseFiles(BatchKind kind) {
  FileBatchDialog dialog(kind, session_.settings().effectiveOutputFolder, this);
  connect(&dialog, &FileBatchDialog::optionsRequested, this, &MainWindow::Options);
  std::vector<std::string> files = dialog.Choose();
  if (!files.empty()) RunFileBatch(kind, files);
}

void MainWindow::RunFileBatch(BatchKind kind, const std::vector<std::string>& files) {
  ShowBatch(session_.MakeFiles(kind, files));
}

void MainWindow::ShowBatch(std::unique_ptr<ConversionBatch> batch) {
  auto* window = new BatchWindow(session_.batches(), std::move(batch), *sink_, session_.log(), notice_, this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowModality(Qt::ApplicationModal);
  connect(window, &QDialog::finished, this, [this] {
    Render();
    RunPendingBatch();
  });
  window->show();
}

void MainWindow::Open(bool rip, const std::vector<std::string>& files) {
  std::vector<std::string> wave;
  std::vector<std::string> mpeg;
  for (const std::string& file : files) {
    QString suffix = QFileInfo(Utf8(file)).suffix().toLower();
    if (suffix == "wav") {
      wave.push_back(file);
    } else if (suffix == "mp3") {
      mpeg.push_back(file);
    } else {
      notice_.Show(FormatText(text::kGuiNotAudioFile, file), NoticeKind::Warning);
    }
  }
  if (!wave.empty()) pendingBatches_.emplace_back(BatchKind::EncodeMp3, std::move(wave));
  if (!mpeg.empty()) pendingBatches_.emplace_back(BatchKind::Decode, std::move(mpeg));
  if (rip) {
    session_.disc().tracks().SelectAll();
    Render();
    if (!session_.batches().IsRunning()) Extract();
    return;
  }
  if (!session_.batches().IsRunning()) RunPendingBatch();
}

void MainWindow::RunPendingBatch() {
  if (pendingBatches_.empty()) return;
  auto [kind, files] = std::move(pendingBatches_.front());
  pendingBatches_.erase(pendingBatches_.begin());
  RunFileBatch(kind, files);
}

void MainWindow::Extract() {
  std::unique_ptr<ConversionBatch> batch = session_.MakeRip();
  if (!batch) {
    notice_.Show(text::kSelectOneItem, NoticeKind::Warning);
    return;
  }
  RenderPlayer();
  ShowBatch(std::move(batch));
}

void MainWindow::ImportCdPlayerIni() {
  if (session_.disc().ImportCdPlayerIni()) Render();
}

void MainWindow::ExportCdPlayerIni() { session_.disc().ExportCdPlayerIni(); }

// F12: the player of the settings, else the desktop's application for MP3 files, started without a file.
void MainWindow::DefaultPlayer() {
  std::string player = session_.settings().MP3Player;
  while (!player.empty() && player.back() == ' ') player.pop_back();
  CommandLine command = player.empty() ? FindDefaultMp3Player() : CommandLine{player};
  // xdg-open needs a file to open, so it is no player by itself.
  if (command.empty() || command == CommandLine{"xdg-open"}) {
    notice_.Show(text::kNoDefaultMp3Player, NoticeKind::Error);
    return;
  }
  if (!StartProgram(command)) notice_.Show(FormatText(text::kDefaultMp3PlayerFailed, command.front()), NoticeKind::Error);
}

void MainWindow::ViewLog() {
  auto* window = new LogWindow(session_.log(), this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowModality(Qt::WindowModal);
  window->show();
}

void MainWindow::Eject() {
  session_.Eject();
  Render();
}

void MainWindow::TrackInfo() {
  std::optional<TrackInfoEditor> editor = TrackInfoEditor::Open(session_.disc());
  if (!editor) {
    notice_.Show(text::kHighlightTrackItem, NoticeKind::Warning);
    return;
  }
  TrackInfoDialog dialog(std::move(*editor), this);
  connect(&dialog, &TrackInfoDialog::stored, this, [this] { Render(); });
  dialog.exec();
}

void MainWindow::DiscInfo() {
  if (session_.disc().tracks().Rows().empty()) {
    notice_.Show(text::kNoCdAvailable, NoticeKind::Warning);
    return;
  }
  DiscInfoDialog dialog(session_.disc(), this);
  dialog.exec();
}

void MainWindow::SelectAll() {
  session_.disc().tracks().SelectAll();
  Render();
}

void MainWindow::SelectNone() {
  session_.disc().tracks().SelectNone();
  Render();
}

void MainWindow::InvertSelection() {
  session_.disc().tracks().InvertSelection();
  Render();
}

void MainWindow::UpperCase() {
  session_.disc().tracks().UpperCase(session_.disc().disc());
  Render();
}

void MainWindow::LowerCase() {
  session_.disc().tracks().LowerCase(session_.disc().disc());
  Render();
}

void MainWindow::Capitalize() {
  session_.disc().tracks().Capitalize(session_.disc().disc());
  Render();
}

void MainWindow::CopyToClipboard() {
  QApplication::clipboard()->setText(Utf8(session_.disc().tracks().ClipboardText()));
  notice_.Show(text::kTocCopiedToClipboard, NoticeKind::Information);
}

void MainWindow::Options() {
  std::vector<std::string> units;
  for (const DeviceRecord& unit : session_.disc().Units()) units.push_back(unit.DisplayName());
  OptionsDialog dialog(session_.settings(), std::move(units), session_.folders(), notice_, this);
  if (dialog.exec() != QDialog::Accepted || !dialog.accepted()) return;
  OptionsChanges changes = session_.ApplyOptions(*dialog.accepted());
  if (changes.colours) ApplyColours();
  if (changes.reopenDrive) RenderDrives();
  Render();
}

void MainWindow::OpenOutputFolder() {
  const std::string& folder = session_.settings().effectiveOutputFolder;
  std::string error;
  if (!StartProgram(OpenFolderCommand(folder), &error)) {
    notice_.Show(FormatText(text::kCantOpenOutputFolder, folder, error), NoticeKind::Error);
  }
}

void MainWindow::RefreshToc() {
  session_.RefreshToc();
  Render();
}

void MainWindow::Query() {
  if (session_.player()) session_.player()->Stop();
  auto* window = new QueryWindow(session_.disc(), QueryRequestFromSettings(session_.settings()), notice_, this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowModality(Qt::ApplicationModal);
  connect(window, &QDialog::finished, this, [this] {
    Render();
    RunPendingBatch();
  });
  window->show();
}

void MainWindow::Submit() {
  if (!SubmissionEmailAccepted(session_.settings())) {
    notice_.Show(text::kSubmitEmailMissing, NoticeKind::Information);
    return;
  }
  auto* window = new SubmitWindow(session_.disc(), SubmitRequestFromSettings(session_.settings()),
                                  session_.folders().programFolder + "cddb.txt", notice_, this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowModality(Qt::ApplicationModal);
  connect(window, &QDialog::finished, this, [this] {
    Render();
    RunPendingBatch();
  });
  window->show();
}

void MainWindow::PlaySelected() {
  if (CdPlayer* player = session_.player()) player->PlaySelected();
  Render();
}

void MainWindow::PlayHighlighted() {
  CdPlayer* player = session_.player();
  if (player && !player->PlayHighlighted()) notice_.Show(text::kHighlightTrackToPlay, NoticeKind::Warning);
  Render();
}

void MainWindow::Stop() {
  if (CdPlayer* player = session_.player()) player->Stop();
  RenderPlayer();
}

void MainWindow::PreviousTrack() {
  if (CdPlayer* player = session_.player()) player->Previous();
  Render();
}

void MainWindow::NextTrack() {
  if (CdPlayer* player = session_.player()) player->Next();
  Render();
}

void MainWindow::Pause() {
  if (CdPlayer* player = session_.player()) player->Pause();
  RenderPlayer();
}

void MainWindow::VolumeControl() {
  if (StartVolumeProgram() != VolumeProgramOutcome::Started) notice_.Show(text::kCantFindVolumeProgram, NoticeKind::Error);
}

void MainWindow::Contents() {
  QString manual = ManualPath();
  if (!QFileInfo::exists(manual) || !QDesktopServices::openUrl(QUrl::fromLocalFile(manual))) {
    notice_.Show(FormatText(text::kCantOpenHelp, manual.toStdString()), NoticeKind::Error);
  }
}

void MainWindow::HomePage() {
  if (!QDesktopServices::openUrl(QUrl(Utf8(text::kHomePage)))) {
    notice_.Show(FormatText(text::kCantOpenHomePage, text::kHomePage), NoticeKind::Error);
  }
}

void MainWindow::About() {
  QString encoder = Utf8(text::kAboutNoEncoder);
  int dllMajor = 0, dllMinor = 0, lameMajor = 0, lameMinor = 0;
  if (const EncoderEntryPoints* entry = session_.encoder().EntryPoints(); entry && entry->version) {
    LameEncVersion version{};
    entry->version(&version);
    dllMajor = version.byDLLMajorVersion;
    dllMinor = version.byDLLMinorVersion;
    lameMajor = version.byMajorVersion;
    lameMinor = version.byMinorVersion;
  }
  std::string body = FormatText(text::kAboutText, SONVAREK_VERSION, dllMajor, dllMinor, lameMajor, lameMinor,
                                text::kHomePage, text::kHomePage);
  if (!session_.encoder().EntryPoints()) body += "<p>" + encoder.toStdString() + "</p>";
  QMessageBox::about(this, Utf8(text::kAboutCaption), Utf8(body));
}

void MainWindow::Move(TrackListResult (TrackList::*move)()) {
  if ((session_.disc().tracks().*move)() == TrackListResult::NeedsHighlight) {
    notice_.Show(text::kHighlightTrackItem, NoticeKind::Warning);
    return;
  }
  Render();
}

void MainWindow::MoveFirst() { Move(&TrackList::MoveFirst); }
void MainWindow::MoveUp() { Move(&TrackList::MoveUp); }
void MainWindow::MoveDown() { Move(&TrackList::MoveDown); }
void MainWindow::MoveLast() { Move(&TrackList::MoveLast); }

}  // namespace sonvarek
