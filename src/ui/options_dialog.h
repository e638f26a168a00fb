#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "session/options_sheet.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTreeWidget;

namespace sonvarek {

class ColourPreview;

// The options sheet: the page tree on the left, the chosen page on the right. The
// controls show the pages of an OptionsSheet; OK copies them back and lets the sheet
// accept or refuse, so every rule lives in the toolkit-free sheet.
class OptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // The five colour buttons of "Appearance", in their order on the page.
  enum class Colour { Text, HighlightedText, TextShadow, StatusLine, Background };

  OptionsDialog(const Settings& live, std::vector<std::string> unitNames, PlatformFolders folders,
                UserNotice& notice, QWidget* parent = nullptr);

  // The settings an accepted OK made; nothing while open or after Cancel.
  const std::optional<Settings>& accepted() const { return accepted_; }

  void ShowPage(OptionsPage page);
  OptionsPage currentPage() const;
  // A colour button's work once the chooser answered.
  void SetColour(Colour which, int32_t colourRef);

  // OK: the pages checked and stored, or the refusing page shown with the focus on
  // the refused control.
  void accept() override;

 private:
  QWidget* MakeOutputPage();
  QWidget* MakeMp3Page();
  QWidget* MakeOggPage();
  QWidget* MakeFreedbPage();
  QWidget* MakeCdRomPage();
  QWidget* MakeAppearancePage();
  QWidget* MakeMisc1Page();
  QWidget* MakeMisc2Page();

  // The controls into the sheet's pages.
  void ReadPages();
  void ReadAppearance();
  void UpdateEnabling();
  void UpdatePreview();
  void ChooseColour(Colour which);
  void RunAdvanced();
  QWidget* FocusTarget(OptionsField field) const;

  OptionsSheet sheet_;
  PlatformFolders folders_;
  UserNotice& notice_;
  std::optional<Settings> accepted_;

  QTreeWidget* tree_ = nullptr;
  QStackedWidget* pages_ = nullptr;

  // Output
  QLineEdit* outputFolder_ = nullptr;
  QComboBox* namingRule_ = nullptr;
  QComboBox* outputFormat_ = nullptr;
  QCheckBox* normalize_ = nullptr;
  QSpinBox* normalizeRatio_ = nullptr;
  // MP3
  QComboBox* encoder_ = nullptr;
  QComboBox* minBitRate_ = nullptr;
  QComboBox* maxBitRate_ = nullptr;
  QComboBox* mpegQuality_ = nullptr;
  QComboBox* vbrQuality_ = nullptr;
  QCheckBox* enableVbr_ = nullptr;
  QCheckBox* writeVbrHeader_ = nullptr;
  QComboBox* stereoMode_ = nullptr;
  QCheckBox* id3v1_ = nullptr;
  QCheckBox* id3v2_ = nullptr;
  // Ogg Vorbis
  QSlider* oggQuality_ = nullptr;
  std::array<QCheckBox*, 12> oggComments_{};
  // Freedb
  QComboBox* server_ = nullptr;
  QLineEdit* queryScript_ = nullptr;
  QLineEdit* submitScript_ = nullptr;
  QLineEdit* email_ = nullptr;
  QCheckBox* useProxy_ = nullptr;
  QLineEdit* proxyServer_ = nullptr;
  QSpinBox* proxyPort_ = nullptr;
  QCheckBox* authorization_ = nullptr;
  QLineEdit* userName_ = nullptr;
  QLineEdit* password_ = nullptr;
  // CD-ROM
  QComboBox* unit_ = nullptr;
  QComboBox* deviceType_ = nullptr;
  QCheckBox* deleteSilence_ = nullptr;
  QLineEdit* leadingFrames_ = nullptr;
  QLineEdit* trailingFrames_ = nullptr;
  QCheckBox* disableAutoPlay_ = nullptr;
  QLineEdit* retryTimes_ = nullptr;
  QLineEdit* bufferSize_ = nullptr;
  QCheckBox* skipErrors_ = nullptr;
  QComboBox* playbackOutput_ = nullptr;
  QSpinBox* readOffset_ = nullptr;
  QCheckBox* secureMode_ = nullptr;
  QSpinBox* secureRetries_ = nullptr;
  QLineEdit* accurateRipServer_ = nullptr;
  // Appearance
  std::array<QPushButton*, 5> colourButtons_{};
  QCheckBox* drawShadow_ = nullptr;
  ColourPreview* preview_ = nullptr;
  // Misc. #1
  QLineEdit* player_ = nullptr;
  QLineEdit* playerParameters_ = nullptr;
  std::array<QLineEdit*, 10> replacements_{};
  QComboBox* threadPriority_ = nullptr;
  // Misc. #2
  QLineEdit* temporaryFolder_ = nullptr;
  QCheckBox* autoLoadCdPlayerIni_ = nullptr;
  QCheckBox* autoSelectAll_ = nullptr;
  QCheckBox* openOutputFolder_ = nullptr;
  QCheckBox* forceGenericDriver_ = nullptr;
};

}  // namespace sonvarek
