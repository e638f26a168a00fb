#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenuBar>
#include <QSlider>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "cdrom/media_change_watcher.h"
#include "core/string_table.h"
#include "core/window_messages.h"
#include "ui/dialog_support.h"
#include "ui/track_list_view.h"

namespace sonvarek {

MainWindow::MainWindow(ProgramSession& session, UserNotice& notice, QWidget* parent)
    : QMainWindow(parent), session_(session), notice_(notice) {
  sink_ = std::make_unique<QtMessageSink>([this](const WindowMessage& message) { HandleMessage(message); });
  setWindowTitle(text::kMainWindowCaption);
  setWindowIcon(QIcon::fromTheme("media-optical-audio", QIcon::fromTheme("media-optical")));
  BuildActions();
  BuildMenus();
  BuildToolBar();
  BuildCentre();
  const Settings& settings = session_.settings();
  WindowGeometry geometry = GeometryFromSettings(settings);
  resize(geometry.width, geometry.height);
  move(geometry.left, geometry.top);
  list_->SetColumnWidths(geometry.columnWidths);
  ApplyColours();
  playerTimer_.setInterval(200);
  connect(&playerTimer_, &QTimer::timeout, this, [this] {
    if (CdPlayer* player = session_.player(); player && player->timerRunning()) {
      player->Tick();
      RenderPlayer();
    }
  });
}

// The list in the user's colours; the time display too, as a small panel of the
// list's background with the status-line colour.
void MainWindow::ApplyColours() {
  const Settings& settings = session_.settings();
  list_->SetColours(settings);
  list_->viewport()->update();
  time_->setAutoFillBackground(true);
  QPalette palette = time_->palette();
  palette.setColor(QPalette::Window, FromColourRef(settings.BackgroundColor));
  palette.setColor(QPalette::WindowText, FromColourRef(settings.StatusLineColor));
  time_->setPalette(palette);
}

MainWindow::~MainWindow() {
  StopBatch();
  sink_->Close();
  if (!shutDown_) session_.Shutdown(Geometry());
}

void MainWindow::Start() {
  session_.Start();
  RenderDrives();
  Render();
  WatchMedia();
  WatchVolume();
  playerTimer_.start();
}

QAction* MainWindow::MakeAction(Command command, const char* text, const QKeySequence& keys, const char* status,
                                const char* icon, void (MainWindow::*slot)()) {
  auto* action = new QAction(Utf8(text), this);
  action->setShortcut(keys);
  if (status) action->setStatusTip(Utf8(status));
  if (icon) action->setIcon(QIcon::fromTheme(icon));
  connect(action, &QAction::triggered, this, slot);
  actions_[command] = action;
  return action;
}

void MainWindow::BuildActions() {
  using C = Command;
  MakeAction(C::EncodeMp3, text::kCommandEncodeMp3, {}, text::kStatusEncodeMp3, nullptr, &MainWindow::EncodeMp3);
  MakeAction(C::EncodeOgg, text::kCommandEncodeOgg, {}, nullptr, nullptr, &MainWindow::EncodeOgg);
  MakeAction(C::Decode, text::kCommandDecode, {}, nullptr, nullptr, &MainWindow::Decode);
  MakeAction(C::Normalize, text::kCommandNormalize, {}, nullptr, nullptr, &MainWindow::Normalize);
  MakeAction(C::ImportCdPlayerIni, text::kCommandImportCdPlayerIni, QKeySequence("Ctrl+R"),
             text::kStatusImportCdPlayerIni, nullptr, &MainWindow::ImportCdPlayerIni);
  MakeAction(C::ExportCdPlayerIni, text::kCommandExportCdPlayerIni, {}, text::kStatusExportCdPlayerIni, nullptr,
             &MainWindow::ExportCdPlayerIni);
  MakeAction(C::DefaultPlayer, text::kCommandDefaultPlayer, QKeySequence(Qt::Key_F12), text::kStatusDefaultPlayer,
             "audio-x-generic", &MainWindow::DefaultPlayer);
  MakeAction(C::ViewLog, text::kCommandViewLog, {}, text::kStatusViewLog, "text-x-generic", &MainWindow::ViewLog);
  MakeAction(C::Eject, text::kCommandEject, QKeySequence("Ctrl+E"), text::kStatusEject, "media-eject",
             &MainWindow::Eject);
  MakeAction(C::Exit, text::kCommandExit, {}, text::kStatusExit, "application-exit", &MainWindow::Exit);
  MakeAction(C::TrackInfo, text::kCommandTrackInfo, QKeySequence(Qt::Key_F2), text::kStatusTrackInfo,
             "document-properties", &MainWindow::TrackInfo);
  MakeAction(C::DiscInfo, text::kCommandDiscInfo, QKeySequence(Qt::Key_F3), text::kStatusDiscInfo, "media-optical",
             &MainWindow::DiscInfo);
  MakeAction(C::SelectAll, text::kCommandSelectAll, QKeySequence("Ctrl+A"), text::kStatusSelectAll, "edit-select-all",
             &MainWindow::SelectAll);
  MakeAction(C::SelectNone, text::kCommandSelectNone, QKeySequence("Ctrl+N"), text::kStatusSelectNone, nullptr,
             &MainWindow::SelectNone);
  MakeAction(C::InvertSelection, text::kCommandInvertSelection, {}, text::kStatusInvertSelection, nullptr,
             &MainWindow::InvertSelection);
  MakeAction(C::UpperCase, text::kCommandUpperCase, {}, nullptr, nullptr, &MainWindow::UpperCase);
  MakeAction(C::LowerCase, text::kCommandLowerCase, {}, nullptr, nullptr, &MainWindow::LowerCase);
  MakeAction(C::Capitalize, text::kCommandCapitalize, {}, nullptr, nullptr, &MainWindow::Capitalize);
  MakeAction(C::CopyToClipboard, text::kCommandCopyToClipboard, QKeySequence("Ctrl+C"), text::kStatusCopyToClipboard,
             "edit-copy", &MainWindow::CopyToClipboard);
  MakeAction(C::Options, text::kCommandOptions, QKeySequence("Ctrl+O"), text::kStatusOptions, "preferences-system",
             &MainWindow::Options);
  MakeAction(C::Extract, text::kCommandExtract, QKeySequence("Ctrl+X"), text::kStatusExtract, "media-record",
             &MainWindow::Extract);
  MakeAction(C::OpenOutputFolder, text::kCommandOpenOutputFolder, QKeySequence("Ctrl+F"),
             text::kStatusOpenOutputFolder, "folder-open", &MainWindow::OpenOutputFolder);
  MakeAction(C::RefreshToc, text::kCommandRefreshToc, QKeySequence(Qt::Key_F5), text::kStatusRefreshToc,
             "view-refresh", &MainWindow::RefreshToc);
  MakeAction(C::Query, text::kCommandQuery, QKeySequence("Ctrl+Q"), text::kStatusQuery, "edit-find",
             &MainWindow::Query);
  MakeAction(C::Submit, text::kCommandSubmit, {}, text::kStatusSubmit, "document-send", &MainWindow::Submit);
  MakeAction(C::PlaySelected, text::kCommandPlaySelected, QKeySequence("Ctrl+P"), text::kStatusPlaySelected,
             "media-playback-start", &MainWindow::PlaySelected);
  // Enter belongs to the list (a title being edited takes it first), so the menu only shows it.
  MakeAction(C::PlayHighlighted, text::kCommandPlayHighlighted, {}, text::kStatusPlayHighlighted, nullptr,
             &MainWindow::PlayHighlighted);
  actions_[C::PlayHighlighted]->setText(Utf8(text::kCommandPlayHighlighted) + "\tEnter");
  MakeAction(C::Stop, text::kCommandStop, QKeySequence("Ctrl+S"), text::kStatusStop, "media-playback-stop",
             &MainWindow::Stop);
  MakeAction(C::PreviousTrack, text::kCommandPreviousTrack, {}, text::kStatusPreviousTrack, "media-skip-backward",
             &MainWindow::PreviousTrack);
  MakeAction(C::NextTrack, text::kCommandNextTrack, {}, text::kStatusNextTrack, "media-skip-forward",
             &MainWindow::NextTrack);
  MakeAction(C::Pause, text::kCommandPause, {}, nullptr, "media-playback-pause", &MainWindow::Pause);
  MakeAction(C::VolumeControl, text::kCommandVolumeControl, QKeySequence("Ctrl+V"), text::kStatusVolumeControl,
             "audio-volume-high", &MainWindow::VolumeControl);
  MakeAction(C::Contents, text::kCommandContents, QKeySequence(Qt::Key_F1), text::kStatusContents, "help-contents",
             &MainWindow::Contents);
  MakeAction(C::HomePage, text::kCommandHomePage, {}, text::kStatusHomePage, "go-home", &MainWindow::HomePage);
  MakeAction(C::About, text::kCommandAbout, {}, text::kStatusAbout, "help-about", &MainWindow::About);
  MakeAction(C::MoveFirst, text::kCommandMoveFirst, {}, nullptr, "go-top", &MainWindow::MoveFirst);
  MakeAction(C::MoveUp, text::kCommandMoveUp, {}, nullptr, "go-up", &MainWindow::MoveUp);
  MakeAction(C::MoveDown, text::kCommandMoveDown, {}, nullptr, "go-down", &MainWindow::MoveDown);
  MakeAction(C::MoveLast, text::kCommandMoveLast, {}, nullptr, "go-bottom", &MainWindow::MoveLast);
  MakeAction(C::Minimize, text::kTipMinimize, {}, nullptr, nullptr, &MainWindow::Minimize);
  // The tool bar's buttons speak by their tool tips.
  const std::pair<Command, const char*> tips[] = {
      {C::Options, text::kTipOptions},     {C::Query, text::kTipQuery},
      {C::DefaultPlayer, text::kTipPlayer}, {C::OpenOutputFolder, text::kTipOpenOutputFolder},
      {C::Exit, text::kTipExit},           {C::TrackInfo, text::kTipTrackInfo},
      {C::MoveFirst, text::kCommandMoveFirst}, {C::MoveUp, text::kCommandMoveUp},
      {C::MoveDown, text::kCommandMoveDown}, {C::MoveLast, text::kCommandMoveLast},
      {C::Extract, text::kTipExtract},     {C::HomePage, text::kTipHomePage},
      {C::PreviousTrack, text::kTipPreviousTrack}, {C::PlaySelected, text::kTipPlay},
      {C::Pause, text::kTipPause},         {C::Stop, text::kTipStop},
      {C::Eject, text::kTipEject},         {C::NextTrack, text::kTipNextTrack},
  };
  for (const auto& [command, tip] : tips) actions_[command]->setToolTip(Utf8(tip));
}

void MainWindow::BuildMenus() {
  using C = Command;
  auto add = [this](QMenu* menu, std::initializer_list<C> commands) {
    for (C command : commands) {
      if (command == C::Minimize) {
        menu->addSeparator();
      } else {
        menu->addAction(actions_[command]);
      }
    }
  };
  // Minimize stands for a separator in these lists: it has no menu entry of its own.
  add(menuBar()->addMenu(text::kMenuFile),
      {C::EncodeMp3, C::EncodeOgg, C::Decode, C::Normalize, C::Minimize, C::ImportCdPlayerIni, C::ExportCdPlayerIni,
       C::Minimize, C::DefaultPlayer, C::ViewLog, C::Minimize, C::Eject, C::Minimize, C::Exit});
  add(menuBar()->addMenu(text::kMenuEdit),
      {C::TrackInfo, C::DiscInfo, C::Minimize, C::SelectAll, C::SelectNone, C::InvertSelection, C::Minimize,
       C::UpperCase, C::LowerCase, C::Capitalize, C::Minimize, C::CopyToClipboard, C::Minimize, C::Options});
  add(menuBar()->addMenu(text::kMenuAction),
      {C::Extract, C::OpenOutputFolder, C::Minimize, C::RefreshToc, C::Minimize, C::Query, C::Submit, C::Minimize,
       C::PlaySelected, C::PlayHighlighted, C::Stop, C::PreviousTrack, C::NextTrack, C::Minimize, C::VolumeControl});
  add(menuBar()->addMenu(text::kMenuHelp), {C::Contents, C::Minimize, C::HomePage, C::About});
  // While a menu is open the tool bar rests, so a click beside the menu only closes it.
  for (QAction* entry : menuBar()->actions()) {
    QMenu* menu = entry->menu();
    connect(menu, &QMenu::aboutToShow, this, [this] { findChild<QToolBar*>("toolBar")->setEnabled(false); });
    connect(menu, &QMenu::aboutToHide, this, [this] { findChild<QToolBar*>("toolBar")->setEnabled(true); });
  }
}

void MainWindow::BuildToolBar() {
  using C = Command;
  QToolBar* bar = addToolBar(text::kProductName);
  bar->setObjectName("toolBar");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  for (C command : {C::Extract, C::Query, C::TrackInfo, C::Options, C::Minimize, C::MoveFirst, C::MoveUp,
                    C::MoveDown, C::MoveLast, C::Minimize, C::PreviousTrack, C::PlaySelected, C::Pause, C::Stop,
                    C::NextTrack, C::Eject, C::Minimize, C::DefaultPlayer, C::OpenOutputFolder, C::HomePage}) {
    if (command == C::Minimize) {
      bar->addSeparator();
    } else {
      bar->addAction(actions_[command]);
    }
  }
}

void MainWindow::BuildCentre() {
  auto* centre = new QWidget(this);
  auto* layout = new QVBoxLayout(centre);

  auto* driveRow = new QHBoxLayout;
  auto* driveLabel = new QLabel(Utf8(text::kDriveLabel), centre);
  drives_ = new QComboBox(centre);
  drives_->setObjectName("driveBox");
  drives_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  driveLabel->setBuddy(drives_);
  driveRow->addWidget(driveLabel);
  driveRow->addWidget(drives_, 1);
  layout->addLayout(driveRow);
  connect(drives_, &QComboBox::activated, this, [this](int unit) {
    if (unit == session_.settings().CDROMDriver) return;
    session_.ChooseUnit(unit);
    Render();
  });

  list_ = new TrackListView(centre);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(list_, 1);
  connect(list_, &TrackListView::rowChecked, this, [this](int row, bool checked) {
    session_.disc().tracks().SetChecked(static_cast<size_t>(row), checked);
    Render();
  });
  connect(list_, &TrackListView::titleEdited, this, [this](int row, const QString& title) {
    session_.disc().tracks().SetTitle(static_cast<size_t>(row), title.toStdString(), session_.disc().disc());
  });
  connect(list_, &TrackListView::rowHighlighted, this,
          [this](int row) { session_.disc().tracks().Highlight(static_cast<size_t>(row)); });
  connect(list_, &TrackListView::playRequested, this, &MainWindow::PlayHighlighted);
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
    QMenu menu(this);
    menu.addAction(Utf8(text::kContextExtract), this, &MainWindow::Extract);
    menu.addAction(Utf8(text::kContextPlay), this, &MainWindow::PlayHighlighted);
    menu.addAction(Utf8(text::kContextEditTrackInfo), this, &MainWindow::TrackInfo);
    menu.addSeparator();
    menu.addAction(actions_[Command::SelectAll]);
    menu.addAction(actions_[Command::SelectNone]);
    menu.addAction(actions_[Command::InvertSelection]);
    menu.exec(list_->viewport()->mapToGlobal(point));
  });

  auto* playerRow = new QHBoxLayout;
  seek_ = new QSlider(Qt::Horizontal, centre);
  seek_->setObjectName("seekSlider");
  seek_->setToolTip(Utf8(text::kTipSeek));
  time_ = new QLabel("00:00", centre);
  time_->setObjectName("timeDisplay");
  time_->setMinimumWidth(time_->fontMetrics().horizontalAdvance("00:00") + 8);
  volume_ = new QSlider(Qt::Horizontal, centre);
  volume_->setObjectName("volumeSlider");
  volume_->setToolTip(Utf8(text::kTipVolume));
  volume_->setMaximumWidth(120);
  auto* volumeIcon = new QLabel(centre);
  volumeIcon->setPixmap(QIcon::fromTheme("audio-volume-medium").pixmap(16, 16));
  playerRow->addWidget(seek_, 1);
  playerRow->addWidget(time_);
  playerRow->addSpacing(12);
  playerRow->addWidget(volumeIcon);
  playerRow->addWidget(volume_);
  layout->addLayout(playerRow);
  connect(seek_, &QSlider::sliderMoved, this, [this](int seconds) {
    if (CdPlayer* player = session_.player()) player->SeekDragged(seconds);
    RenderPlayer();
  });
  connect(seek_, &QSlider::sliderReleased, this, [this] {
    if (CdPlayer* player = session_.player()) player->SeekReleased(seek_->value());
    RenderPlayer();
  });
  connect(volume_, &QSlider::valueChanged, this, [this](int value) { session_.SetVolume(value); });

  setCentralWidget(centre);
  deviceLine_ = new QLabel(statusBar());
  deviceLine_->setObjectName("deviceLine");
  discLine_ = new QLabel(statusBar());
  discLine_->setObjectName("discLine");
  statusBar()->addPermanentWidget(discLine_);
  statusBar()->addPermanentWidget(deviceLine_);
}

void MainWindow::RenderDrives() {
  drives_->clear();
  for (const DeviceRecord& unit : session_.disc().Units()) drives_->addItem(Utf8(unit.DisplayName()));
  drives_->setCurrentIndex(session_.settings().CDROMDriver);
  drives_->setEnabled(drives_->count() > 1);
}

void MainWindow::Render() {
  list_->Render(session_.disc().tracks());
  RenderPlayer();
}

void MainWindow::RenderPlayer() {
  CdPlayer* player = session_.player();
  deviceLine_->setText(Utf8(player && !player->statusLine().empty() ? player->statusLine() : session_.deviceText()));
  discLine_->setText(Utf8(session_.discText()));
  discLine_->setVisible(!session_.discText().empty());
  if (!player) return;
  time_->setText(Utf8(player->timeText()));
  if (!seek_->isSliderDown()) {
    seek_->setRange(0, player->sliderMaximum());
    seek_->setValue(player->sliderPosition());
  }
  actions_[Command::Pause]->setCheckable(true);
  actions_[Command::Pause]->setChecked(player->paused());
}

void MainWindow::HandleMessage(const WindowMessage& message) {
  if (message.id == Message::LogLine) {
    session_.log().Append(message.text);
    return;
  }
  if (message.id != Message::SelectTrackRow) return;
  const std::vector<TrackRow>& rows = session_.disc().tracks().Rows();
  for (size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].track - 1 != message.wParam) continue;
    session_.disc().tracks().Highlight(row);
    Render();
    return;
  }
}

void MainWindow::WatchMedia() {
  std::string error;
  media_ = MediaChangeWatcher::Open(error);
  if (!media_) return;  // without udev the user refreshes by hand
  mediaNotifier_ = new QSocketNotifier(media_->Descriptor(), QSocketNotifier::Read, this);
  connect(mediaNotifier_, &QSocketNotifier::activated, this, [this] {
    if (media_->TakeEvents().empty()) return;
    if (session_.MediaChanged()) Render();
  });
}

void MainWindow::WatchVolume() {
  MasterVolumeControl* volume = session_.volume();
  volume_->setEnabled(volume && volume->IsAvailable());
  if (!volume || !volume->IsAvailable()) return;
  volume_->blockSignals(true);
  volume_->setRange(static_cast<int>(volume->GetMinimum()), static_cast<int>(volume->GetMaximum()));
  volume_->setValue(static_cast<int>(volume->GetVolume()));
  volume_->blockSignals(false);
  volume->SetChangeCallback([this](long value) {
    if (volume_->isSliderDown()) return;
    volume_->blockSignals(true);
    volume_->setValue(static_cast<int>(value));
    volume_->blockSignals(false);
  });
  for (const pollfd& descriptor : volume->PollDescriptors()) {
    auto* notifier = new QSocketNotifier(descriptor.fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
      if (MasterVolumeControl* control = session_.volume()) control->HandleEvents();
    });
    volumeNotifiers_.push_back(notifier);
  }
}

WindowGeometry MainWindow::Geometry() const {
  WindowGeometry geometry;
  // move() and resize() take the frame's place and the inner size, so those are kept.
  QRect place = isMaximized() || isMinimized() ? normalGeometry() : QRect(pos(), size());
  geometry.left = place.x();
  geometry.top = place.y();
  geometry.width = place.width();
  geometry.height = place.height();
  geometry.columnWidths = list_->ColumnWidths();
  return geometry;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  StopBatch();
  playerTimer_.stop();
  sink_->Close();
  if (!shutDown_) {
    shutDown_ = true;
    session_.Shutdown(Geometry());
  }
  event->accept();
}

// The batch window is modal, so a batch runs at the window's end only when the end came
// from outside (a signal, the session's end). The worker may be waiting for this thread
// to take a message, so events keep flowing while it stops.
void MainWindow::StopBatch() {
  if (!session_.batches().IsRunning()) return;
  session_.batches().Cancel();
  while (!session_.batches().WaitFor(std::chrono::milliseconds(20))) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

void MainWindow::BringToFront() {
  if (isMinimized()) {
    showNormal();
  } else {
    show();
  }
  raise();
  activateWindow();
}

}  // namespace sonvarek
