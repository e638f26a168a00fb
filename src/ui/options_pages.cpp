// The options sheet's eight pages: their controls, filled from the sheet's page
// records, and read back into them on OK.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/string_table.h"
#include "ui/colour_preview.h"
#include "ui/dialog_support.h"
#include "ui/options_dialog.h"

namespace sonvarek {
namespace {

template <size_t N>
QComboBox* MakeList(const char* const (&items)[N], int position, const char* name, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  for (const char* item : items) box->addItem(Utf8(item));
  box->setCurrentIndex(position);  // −1 shows nothing chosen, and OK then keeps the setting
  return box;
}

QCheckBox* MakeCheck(const char* label, bool checked, const char* name, QWidget* parent) {
  auto* box = new QCheckBox(Utf8(label), parent);
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

// A number typed freely (digits only); the sheet refuses it when outside its range,
// as the user is told which range holds.
QLineEdit* MakeNumberEdit(int value, const char* name, QWidget* parent) {
  auto* edit = MakeLineEdit(std::to_string(value), name, parent, 9);
  AcceptDigitsOnly(edit);
  return edit;
}

// An empty or unreadable number is outside every range the sheet checks.
int NumberOf(const QLineEdit* edit) {
  bool ok = false;
  int value = edit->text().toInt(&ok);
  return ok ? value : -1;
}

// A spin box holds its range; a value from outside shows as its nearest end.
QSpinBox* MakeSpin(IntegerRange range, int value, const char* name, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(range.low, range.high);
  spin->setValue(value);
  return spin;
}

// An edit with a button beside it that fills it.
QWidget* WithButton(QLineEdit* edit, QPushButton* button, QWidget* parent) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(edit, 1);
  layout->addWidget(button);
  return row;
}

QString ChooseFolder(QWidget* parent, const char* caption, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, Utf8(caption), start);
}

}  // namespace

QWidget* OptionsDialog::MakeOutputPage() {
  const OutputPage& page = sheet_.output;
  auto* widget = new QWidget(this);
  auto* layout = new QVBoxLayout(widget);
  outputFolder_ = MakeLineEdit(page.folder, "outputFolderEdit", widget, static_cast<int>(kMaxOutputFolderLength));
  auto* browse = new QPushButton(Utf8(text::kOptionsBrowseButton), widget);
  browse->setObjectName("outputFolderButton");
  connect(browse, &QPushButton::clicked, this, [this] {
    QString folder = ChooseFolder(this, text::kOptionsChooseOutputFolder, outputFolder_->text());
    if (!folder.isEmpty()) outputFolder_->setText(folder);
  });
  layout->addWidget(BuddyLabel(text::kOptionsOutputFolderLabel, outputFolder_, widget));
  layout->addWidget(WithButton(outputFolder_, browse, widget));

  namingRule_ = MakeList(text::kOptionsNamingRulePresets, -1, "namingRuleBox", widget);
  namingRule_->setEditable(true);
  namingRule_->setInsertPolicy(QComboBox::NoInsert);
  namingRule_->lineEdit()->setMaxLength(static_cast<int>(kMaxNamingRuleLength));
  namingRule_->setEditText(Utf8(page.namingRule));
  layout->addWidget(BuddyLabel(text::kOptionsNamingRuleLabel, namingRule_, widget));
  layout->addWidget(namingRule_);

  auto* format = new QGroupBox(Utf8(text::kOptionsOutputFormatLabel), widget);
  auto* formatLayout = new QVBoxLayout(format);
  outputFormat_ = MakeList(text::kOptionsOutputFormats, page.outputFormat, "outputFormatBox", format);
  formatLayout->addWidget(outputFormat_);
  auto* normalizeRow = new QHBoxLayout;
  normalize_ = MakeCheck(text::kOptionsNormalizeTo, page.normalize, "normalizeBox", format);
  normalizeRatio_ = new QSpinBox(format);
  normalizeRatio_->setObjectName("normalizeRatioSpin");
  normalizeRatio_->setRange(kNormalizeRatioRange.low, kNormalizeRatioRange.high);
  normalizeRatio_->setValue(page.normalizeRatio);
  normalizeRow->addWidget(normalize_);
  normalizeRow->addWidget(normalizeRatio_);
  normalizeRow->addWidget(new QLabel(Utf8(text::kOptionsPercent), format));
  normalizeRow->addStretch();
  formatLayout->addLayout(normalizeRow);
  layout->addWidget(format);
  layout->addStretch();
  return widget;
}

QWidget* OptionsDialog::MakeMp3Page() {
  const Mp3Page& page = sheet_.mp3;
  auto* widget = new QWidget(this);
  auto* form = new QFormLayout(widget);
  encoder_ = MakeList(text::kOptionsEncoderEngines, page.encoder, "encoderBox", widget);
  minBitRate_ = MakeList(text::kOptionsBitRates, page.minBitRate, "minBitRateBox", widget);
  maxBitRate_ = MakeList(text::kOptionsBitRates, page.maxBitRate, "maxBitRateBox", widget);
  mpegQuality_ = MakeList(text::kOptionsMpegQualities, page.mpegQuality, "mpegQualityBox", widget);
  vbrQuality_ = MakeList(text::kOptionsVbrQualities, page.vbrQuality, "vbrQualityBox", widget);
  enableVbr_ = MakeCheck(text::kOptionsEnableVbr, page.enableVbr, "enableVbrBox", widget);
  writeVbrHeader_ = MakeCheck(text::kOptionsWriteVbrHeader, page.writeVbrHeader, "writeVbrHeaderBox", widget);
  stereoMode_ = MakeList(text::kOptionsStereoModes, page.stereoMode, "stereoModeBox", widget);
  id3v1_ = MakeCheck(text::kOptionsEnableId3v1, page.enableId3v1, "id3v1Box", widget);
  id3v2_ = MakeCheck(text::kOptionsEnableId3v2, page.enableId3v2, "id3v2Box", widget);
  auto* advanced = new QPushButton(Utf8(text::kOptionsAdvancedButton), widget);
  advanced->setObjectName("advancedButton");
  connect(advanced, &QPushButton::clicked, this, &OptionsDialog::RunAdvanced);
  connect(enableVbr_, &QCheckBox::toggled, this, &OptionsDialog::UpdateEnabling);

  form->addRow(BuddyLabel(text::kOptionsEncoderEngineLabel, encoder_, widget), encoder_);
  form->addRow(BuddyLabel(text::kOptionsMinBitRateLabel, minBitRate_, widget), minBitRate_);
  form->addRow(enableVbr_);
  form->addRow(BuddyLabel(text::kOptionsMaxBitRateLabel, maxBitRate_, widget), maxBitRate_);
  form->addRow(BuddyLabel(text::kOptionsMpegQualityLabel, mpegQuality_, widget), mpegQuality_);
  form->addRow(BuddyLabel(text::kOptionsVbrQualityLabel, vbrQuality_, widget), vbrQuality_);
  form->addRow(writeVbrHeader_);
  form->addRow(BuddyLabel(text::kOptionsStereoModeLabel, stereoMode_, widget), stereoMode_);
  form->addRow(id3v1_);
  form->addRow(id3v2_);
  form->addRow(advanced);
  return widget;
}

QWidget* OptionsDialog::MakeOggPage() {
  const OggPage& page = sheet_.ogg;
  auto* widget = new QWidget(this);
  auto* layout = new QVBoxLayout(widget);
  oggQuality_ = new QSlider(Qt::Horizontal, widget);
  oggQuality_->setObjectName("oggQualitySlider");
  oggQuality_->setRange(kOggQualityRange.low, kOggQualityRange.high);
  oggQuality_->setValue(page.quality);
  oggQuality_->setTickPosition(QSlider::TicksBelow);
  oggQuality_->setTickInterval(10);
  layout->addWidget(BuddyLabel(text::kOptionsOggQualityLabel, oggQuality_, widget));
  auto* sliderRow = new QHBoxLayout;
  sliderRow->addWidget(new QLabel(Utf8(text::kOptionsOggLow), widget));
  sliderRow->addWidget(oggQuality_, 1);
  sliderRow->addWidget(new QLabel(Utf8(text::kOptionsOggHigh), widget));
  layout->addLayout(sliderRow);

  auto* comments = new QGroupBox(Utf8(text::kOptionsOggCommentsLabel), widget);
  auto* grid = new QGridLayout(comments);
  for (size_t i = 0; i < oggComments_.size(); ++i) {
    std::string name = "oggComment" + std::to_string(i);
    oggComments_[i] = MakeCheck(text::kOptionsOggComments[i], page.comments[i], name.c_str(), comments);
    grid->addWidget(oggComments_[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
  }
  layout->addWidget(comments);
  layout->addStretch();
  return widget;
}

QWidget* OptionsDialog::MakeFreedbPage() {
  const FreedbPage& page = sheet_.freedb;
  auto* widget = new QWidget(this);
  auto* form = new QFormLayout(widget);
  server_ = new QComboBox(widget);
  server_->setObjectName("serverBox");
  server_->setEditable(true);
  server_->setInsertPolicy(QComboBox::NoInsert);
  for (const char* host : kFreedbServers) server_->addItem(Utf8(host));
  server_->setEditText(Utf8(page.server));
  queryScript_ = MakeLineEdit(page.queryScript, "queryScriptEdit", widget);
  submitScript_ = MakeLineEdit(page.submitScript, "submitScriptEdit", widget);
  email_ = MakeLineEdit(page.email, "emailEdit", widget);
  useProxy_ = MakeCheck(text::kOptionsUseProxy, page.useProxy, "useProxyBox", widget);
  proxyServer_ = MakeLineEdit(page.proxyServer, "proxyServerEdit", widget);
  proxyPort_ = new QSpinBox(widget);
  proxyPort_->setObjectName("proxyPortSpin");
  proxyPort_->setRange(kProxyPortRange.low, kProxyPortRange.high);
  proxyPort_->setValue(page.proxyPort);
  authorization_ = MakeCheck(text::kOptionsProxyAuthorization, page.authorization, "authorizationBox", widget);
  userName_ = MakeLineEdit(page.userName, "userNameEdit", widget);
  password_ = MakeLineEdit(page.password, "passwordEdit", widget);
  password_->setEchoMode(QLineEdit::Password);
  connect(useProxy_, &QCheckBox::toggled, this, &OptionsDialog::UpdateEnabling);
  connect(authorization_, &QCheckBox::toggled, this, &OptionsDialog::UpdateEnabling);

  form->addRow(BuddyLabel(text::kOptionsServerLabel, server_, widget), server_);
  form->addRow(BuddyLabel(text::kOptionsQueryScriptLabel, queryScript_, widget), queryScript_);
  form->addRow(BuddyLabel(text::kOptionsSubmitScriptLabel, submitScript_, widget), submitScript_);
  form->addRow(BuddyLabel(text::kOptionsEmailLabel, email_, widget), email_);
  form->addRow(useProxy_);
  form->addRow(BuddyLabel(text::kOptionsProxyServerLabel, proxyServer_, widget), proxyServer_);
  form->addRow(BuddyLabel(text::kOptionsProxyPortLabel, proxyPort_, widget), proxyPort_);
  form->addRow(authorization_);
  form->addRow(BuddyLabel(text::kOptionsProxyNameLabel, userName_, widget), userName_);
  form->addRow(BuddyLabel(text::kOptionsProxyPasswordLabel, password_, widget), password_);
  return widget;
}

QWidget* OptionsDialog::MakeCdRomPage() {
  const CdRomPage& page = sheet_.cdRom;
  auto* widget = new QWidget(this);
  auto* form = new QFormLayout(widget);
  unit_ = new QComboBox(widget);
  unit_->setObjectName("unitBox");
  for (const std::string& name : sheet_.unitNames()) unit_->addItem(Utf8(name));
  unit_->setCurrentIndex(page.unit);
  deviceType_ = MakeList(text::kDriveTypeNames, page.deviceType, "deviceTypeBox", widget);
  deleteSilence_ = MakeCheck(text::kOptionsDeleteSilence, page.deleteSilence, "deleteSilenceBox", widget);
  leadingFrames_ = MakeNumberEdit(page.leadingFrames, "leadingFramesEdit", widget);
  trailingFrames_ = MakeNumberEdit(page.trailingFrames, "trailingFramesEdit", widget);
  disableAutoPlay_ = MakeCheck(text::kOptionsDisableAutoPlay, page.disableAutoPlay, "disableAutoPlayBox", widget);
  retryTimes_ = MakeNumberEdit(page.retryTimes, "retryTimesEdit", widget);
  bufferSize_ = MakeNumberEdit(page.bufferSize, "bufferSizeEdit", widget);
  skipErrors_ = MakeCheck(text::kOptionsSkipErrors, page.skipErrors, "skipErrorsBox", widget);
  playbackOutput_ = MakeList(text::kOptionsPlaybackOutputs, page.playbackOutput, "playbackOutputBox", widget);
  readOffset_ = MakeSpin(kReadOffsetRange, page.readOffset, "readOffsetSpin", widget);
  readOffset_->setSuffix(Utf8(text::kOptionsSamplesSuffix));
  secureMode_ = MakeCheck(text::kOptionsSecureMode, page.secureMode, "secureModeBox", widget);
  secureRetries_ = MakeSpin(kSecureRetriesRange, page.secureRetries, "secureRetriesSpin", widget);
  accurateRipServer_ = MakeLineEdit(page.accurateRipServer, "accurateRipServerEdit", widget);
  accurateRipServer_->setPlaceholderText(Utf8(text::kOptionsAccurateRipServerHint));
  connect(deleteSilence_, &QCheckBox::toggled, this, &OptionsDialog::UpdateEnabling);
  connect(secureMode_, &QCheckBox::toggled, this, &OptionsDialog::UpdateEnabling);

  form->addRow(BuddyLabel(text::kOptionsUnitLabel, unit_, widget), unit_);
  form->addRow(BuddyLabel(text::kOptionsDriveTypeLabel, deviceType_, widget), deviceType_);
  form->addRow(deleteSilence_);
  form->addRow(BuddyLabel(text::kOptionsLeadingFramesLabel, leadingFrames_, widget), leadingFrames_);
  form->addRow(BuddyLabel(text::kOptionsTrailingFramesLabel, trailingFrames_, widget), trailingFrames_);
  form->addRow(disableAutoPlay_);
  form->addRow(BuddyLabel(text::kOptionsRetryTimesLabel, retryTimes_, widget), retryTimes_);
  form->addRow(BuddyLabel(text::kOptionsBufferSizeLabel, bufferSize_, widget), bufferSize_);
  form->addRow(skipErrors_);
  form->addRow(BuddyLabel(text::kOptionsPlaybackLabel, playbackOutput_, widget), playbackOutput_);
  form->addRow(BuddyLabel(text::kOptionsReadOffsetLabel, readOffset_, widget), readOffset_);
  form->addRow(secureMode_);
  form->addRow(BuddyLabel(text::kOptionsSecureRetriesLabel, secureRetries_, widget), secureRetries_);
  form->addRow(BuddyLabel(text::kOptionsAccurateRipServerLabel, accurateRipServer_, widget), accurateRipServer_);
  return widget;
}

QWidget* OptionsDialog::MakeAppearancePage() {
  const AppearancePage& page = sheet_.appearance;
  auto* widget = new QWidget(this);
  auto* layout = new QHBoxLayout(widget);
  auto* buttons = new QVBoxLayout;
  const char* labels[] = {text::kOptionsTextColor, text::kOptionsHighlightedTextColor, text::kOptionsTextShadowColor,
                          text::kOptionsStatusLineColor, text::kOptionsBackgroundColor};
  for (size_t i = 0; i < colourButtons_.size(); ++i) {
    auto* button = new QPushButton(Utf8(labels[i]), widget);
    button->setObjectName(QString("colourButton%1").arg(i));
    auto which = static_cast<Colour>(i);
    connect(button, &QPushButton::clicked, this, [this, which] { ChooseColour(which); });
    colourButtons_[i] = button;
    buttons->addWidget(button);
  }
  drawShadow_ = MakeCheck(text::kOptionsDrawTextShadow, page.drawShadow, "drawShadowBox", widget);
  connect(drawShadow_, &QCheckBox::toggled, this, &OptionsDialog::UpdatePreview);
  buttons->addWidget(drawShadow_);
  auto* setDefault = new QPushButton(Utf8(text::kOptionsSetDefaultColors), widget);
  setDefault->setObjectName("setDefaultButton");
  connect(setDefault, &QPushButton::clicked, this, [this] {
    ReadAppearance();
    SetDefaultColours(sheet_.appearance);
    UpdatePreview();
  });
  buttons->addWidget(setDefault);
  buttons->addStretch();
  layout->addLayout(buttons);

  auto* previewBox = new QGroupBox(Utf8(text::kOptionsPreviewLabel), widget);
  auto* previewLayout = new QVBoxLayout(previewBox);
  preview_ = new ColourPreview(previewBox);
  preview_->setObjectName("colourPreview");
  previewLayout->addWidget(preview_);
  layout->addWidget(previewBox, 1);
  UpdatePreview();
  return widget;
}

QWidget* OptionsDialog::MakeMisc1Page() {
  const Misc1Page& page = sheet_.misc1;
  auto* widget = new QWidget(this);
  auto* layout = new QVBoxLayout(widget);
  player_ = MakeLineEdit(page.player, "playerEdit", widget, static_cast<int>(kMaxPlayerLength));
  auto* choose = new QPushButton(Utf8(text::kOptionsBrowseButton), widget);
  choose->setObjectName("playerButton");
  connect(choose, &QPushButton::clicked, this, [this] {
    QString program = QFileDialog::getOpenFileName(this, Utf8(text::kOptionsChoosePlayer), player_->text(),
                                                   Utf8(text::kOptionsPlayerFilter));
    if (!program.isEmpty()) player_->setText(program);
  });
  layout->addWidget(BuddyLabel(text::kOptionsPlayerLabel, player_, widget));
  layout->addWidget(WithButton(player_, choose, widget));
  playerParameters_ =
      MakeLineEdit(page.playerParameters, "playerParametersEdit", widget, static_cast<int>(kMaxPlayerParametersLength));
  layout->addWidget(BuddyLabel(text::kOptionsPlayerParametersLabel, playerParameters_, widget));
  layout->addWidget(playerParameters_);

  auto* replacing = new QGroupBox(Utf8(text::kOptionsReplacingGroup), widget);
  auto* grid = new QGridLayout(replacing);
  auto* explanation = new QLabel(Utf8(text::kOptionsReplacingText), replacing);
  explanation->setWordWrap(true);
  grid->addWidget(explanation, 0, 0, 1, 10);
  for (size_t i = 0; i < replacements_.size(); ++i) {
    std::string name = "replacementEdit" + std::to_string(i);
    replacements_[i] =
        MakeLineEdit(page.replacements[i], name.c_str(), replacing, static_cast<int>(kMaxReplacementLength));
    int column = static_cast<int>(i % 5) * 2;
    int row = 1 + static_cast<int>(i / 5);
    grid->addWidget(BuddyLabel(text::kOptionsReplacedCharacters[i], replacements_[i], replacing), row, column,
                    Qt::AlignRight);
    grid->addWidget(replacements_[i], row, column + 1);
  }
  layout->addWidget(replacing);

  threadPriority_ = MakeList(text::kOptionsThreadPriorities, page.threadPriority, "threadPriorityBox", widget);
  auto* priorityRow = new QHBoxLayout;
  priorityRow->addWidget(BuddyLabel(text::kOptionsThreadPriorityLabel, threadPriority_, widget));
  priorityRow->addWidget(threadPriority_, 1);
  layout->addLayout(priorityRow);
  layout->addStretch();
  return widget;
}

QWidget* OptionsDialog::MakeMisc2Page() {
  const Misc2Page& page = sheet_.misc2;
  auto* widget = new QWidget(this);
  auto* layout = new QVBoxLayout(widget);
  temporaryFolder_ = MakeLineEdit(page.temporaryFolder, "temporaryFolderEdit", widget);
  auto* browse = new QPushButton(Utf8(text::kOptionsBrowserButton), widget);
  browse->setObjectName("temporaryFolderButton");
  connect(browse, &QPushButton::clicked, this, [this] {
    QString folder = ChooseFolder(this, text::kOptionsChooseTemporaryFolder, temporaryFolder_->text());
    if (!folder.isEmpty()) temporaryFolder_->setText(folder);
  });
  layout->addWidget(BuddyLabel(text::kOptionsTemporaryFolderLabel, temporaryFolder_, widget));
  layout->addWidget(WithButton(temporaryFolder_, browse, widget));
  autoLoadCdPlayerIni_ =
      MakeCheck(text::kOptionsAutoLoadCdPlayerIni, page.autoLoadCdPlayerIni, "autoLoadCdPlayerIniBox", widget);
  autoSelectAll_ = MakeCheck(text::kOptionsAutoSelectAll, page.autoSelectAll, "autoSelectAllBox", widget);
  openOutputFolder_ =
      MakeCheck(text::kOptionsOpenOutputFolder, page.openOutputFolder, "openOutputFolderBox", widget);
  forceGenericDriver_ =
      MakeCheck(text::kOptionsForceGenericDriver, page.forceGenericDriver, "forceGenericDriverBox", widget);
  for (QCheckBox* box : {autoLoadCdPlayerIni_, autoSelectAll_, openOutputFolder_, forceGenericDriver_}) {
    layout->addWidget(box);
  }
  layout->addStretch();
  return widget;
}

void OptionsDialog::ReadPages() {
  sheet_.output = {ToUtf8(outputFolder_->text()), ToUtf8(namingRule_->currentText()), outputFormat_->currentIndex(),
                   normalize_->isChecked(), normalizeRatio_->value()};

  Mp3Page& mp3 = sheet_.mp3;
  mp3.encoder = encoder_->currentIndex();
  mp3.minBitRate = minBitRate_->currentIndex();
  mp3.maxBitRate = maxBitRate_->currentIndex();
  mp3.mpegQuality = mpegQuality_->currentIndex();
  mp3.vbrQuality = vbrQuality_->currentIndex();
  mp3.enableVbr = enableVbr_->isChecked();
  mp3.writeVbrHeader = writeVbrHeader_->isChecked();
  mp3.stereoMode = stereoMode_->currentIndex();
  mp3.enableId3v1 = id3v1_->isChecked();
  mp3.enableId3v2 = id3v2_->isChecked();  // the Advanced bits are stored by their own dialog

  sheet_.ogg.quality = oggQuality_->value();
  for (size_t i = 0; i < oggComments_.size(); ++i) sheet_.ogg.comments[i] = oggComments_[i]->isChecked();

  sheet_.freedb = {ToUtf8(server_->currentText()), ToUtf8(queryScript_->text()), ToUtf8(submitScript_->text()),
                   ToUtf8(email_->text()),          useProxy_->isChecked(),       ToUtf8(proxyServer_->text()),
                   proxyPort_->value(),             authorization_->isChecked(),  ToUtf8(userName_->text()),
                   ToUtf8(password_->text())};

  sheet_.cdRom = {unit_->currentIndex(),       deviceType_->currentIndex(),  deleteSilence_->isChecked(),
                  NumberOf(leadingFrames_),    NumberOf(trailingFrames_),    disableAutoPlay_->isChecked(),
                  NumberOf(retryTimes_),       NumberOf(bufferSize_),        skipErrors_->isChecked(),
                  playbackOutput_->currentIndex(), readOffset_->value(),         secureMode_->isChecked(),
                  secureRetries_->value(),     ToUtf8(accurateRipServer_->text())};

  ReadAppearance();

  sheet_.misc1.player = ToUtf8(player_->text());
  sheet_.misc1.playerParameters = ToUtf8(playerParameters_->text());
  for (size_t i = 0; i < replacements_.size(); ++i) sheet_.misc1.replacements[i] = ToUtf8(replacements_[i]->text());
  sheet_.misc1.threadPriority = threadPriority_->currentIndex();

  sheet_.misc2 = {ToUtf8(temporaryFolder_->text()), autoLoadCdPlayerIni_->isChecked(), autoSelectAll_->isChecked(),
                  openOutputFolder_->isChecked(), forceGenericDriver_->isChecked()};
}

// The colours live in the sheet as the buttons choose them; only the box is a control.
void OptionsDialog::ReadAppearance() { sheet_.appearance.drawShadow = drawShadow_->isChecked(); }

}  // namespace sonvarek
