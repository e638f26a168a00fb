#include "ui/options_dialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/string_table.h"
#include "ui/colour_preview.h"
#include "ui/dialog_support.h"

namespace sonvarek {
namespace {

// The page's colour of each button, in the order of OptionsDialog::Colour.
constexpr int32_t AppearancePage::*kColourFields[] = {&AppearancePage::text, &AppearancePage::highlightedText,
                                                      &AppearancePage::textShadow, &AppearancePage::statusLine,
                                                      &AppearancePage::background};

static_assert(std::size(kColourFields) == 5, "one field per colour button");

int32_t& ColourOf(AppearancePage& page, OptionsDialog::Colour which) {
  return page.*kColourFields[static_cast<size_t>(which)];
}

QIcon Swatch(int32_t colourRef) {
  QPixmap pixmap(16, 16);
  pixmap.fill(FromColourRef(colourRef));
  QPainter painter(&pixmap);
  painter.setPen(Qt::darkGray);
  painter.drawRect(0, 0, 15, 15);
  return QIcon(pixmap);
}

}  // namespace

OptionsDialog::OptionsDialog(const Settings& live, std::vector<std::string> unitNames, PlatformFolders folders,
                             UserNotice& notice, QWidget* parent)
    : QDialog(parent), sheet_(live, std::move(unitNames), folders), folders_(std::move(folders)), notice_(notice) {
  setObjectName("optionsDialog");
  setWindowTitle(Utf8(text::kProductName));
  setModal(true);

  tree_ = new QTreeWidget(this);
  tree_->setObjectName("pageTree");
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(false);
  for (const char* name : text::kOptionsPageNames) tree_->addTopLevelItem(new QTreeWidgetItem({Utf8(name)}));
  int widest = 0;
  for (const char* name : text::kOptionsPageNames) widest = std::max(widest, fontMetrics().horizontalAdvance(Utf8(name)));
  tree_->setFixedWidth(widest + 40);

  pages_ = new QStackedWidget(this);
  pages_->setObjectName("pages");
  for (QWidget* page : {MakeOutputPage(), MakeMp3Page(), MakeOggPage(), MakeFreedbPage(), MakeCdRomPage(),
                        MakeAppearancePage(), MakeMisc1Page(), MakeMisc2Page()}) {
    pages_->addWidget(page);
  }
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item) pages_->setCurrentIndex(tree_->indexOfTopLevelItem(item));
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &OptionsDialog::reject);

  auto* right = new QVBoxLayout;
  right->addWidget(MakeTitleBand(this));
  right->addWidget(pages_, 1);
  auto* body = new QHBoxLayout;
  body->addWidget(tree_);
  body->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addWidget(buttons);

  UpdateEnabling();
  ShowPage(OptionsPage::Output);
}

void OptionsDialog::ShowPage(OptionsPage page) {
  tree_->setCurrentItem(tree_->topLevelItem(static_cast<int>(page)));
  pages_->setCurrentIndex(static_cast<int>(page));
}

OptionsPage OptionsDialog::currentPage() const { return static_cast<OptionsPage>(pages_->currentIndex()); }

void OptionsDialog::accept() {
  ReadPages();
  OptionsAcceptance result = sheet_.Accept(notice_);
  if (!result.accepted()) {
    ShowPage(result.page);
    if (QWidget* target = FocusTarget(result.focus)) {
      target->setFocus(Qt::OtherFocusReason);
      if (auto* edit = qobject_cast<QLineEdit*>(target)) edit->selectAll();
    }
    return;
  }
  accepted_ = std::move(result.settings);
  QDialog::accept();
}

QWidget* OptionsDialog::FocusTarget(OptionsField field) const {
  switch (field) {
    case OptionsField::None: return nullptr;
    case OptionsField::OutputFolder: return outputFolder_;
    case OptionsField::NamingRule: return namingRule_;
    case OptionsField::NormalizeRatio: return normalizeRatio_;
    case OptionsField::LeadingFrames: return leadingFrames_;
    case OptionsField::TrailingFrames: return trailingFrames_;
    case OptionsField::RetryTimes: return retryTimes_;
    case OptionsField::BufferSize: return bufferSize_;
  }
  return nullptr;
}

void OptionsDialog::UpdateEnabling() {
  Mp3Page mp3;
  mp3.enableVbr = enableVbr_->isChecked();
  for (QWidget* control : {static_cast<QWidget*>(maxBitRate_), static_cast<QWidget*>(mpegQuality_),
                           static_cast<QWidget*>(vbrQuality_), static_cast<QWidget*>(writeVbrHeader_)}) {
    control->setEnabled(VbrControlsEnabled(mp3));
  }
  FreedbPage freedb;
  freedb.useProxy = useProxy_->isChecked();
  freedb.authorization = authorization_->isChecked();
  proxyServer_->setEnabled(ProxyFieldsEnabled(freedb));
  proxyPort_->setEnabled(ProxyFieldsEnabled(freedb));
  authorization_->setEnabled(ProxyFieldsEnabled(freedb));
  userName_->setEnabled(ProxyCredentialsEnabled(freedb));
  password_->setEnabled(ProxyCredentialsEnabled(freedb));
  CdRomPage cdRom;
  cdRom.deleteSilence = deleteSilence_->isChecked();
  leadingFrames_->setEnabled(SilentFramesEnabled(cdRom));
  cdRom.secureMode = secureMode_->isChecked();
  trailingFrames_->setEnabled(SilentFramesEnabled(cdRom));
  secureRetries_->setEnabled(SecureRetriesEnabled(cdRom));
}

void OptionsDialog::UpdatePreview() {
  ReadAppearance();
  const AppearancePage& page = sheet_.appearance;
  for (size_t i = 0; i < colourButtons_.size(); ++i) colourButtons_[i]->setIcon(Swatch(page.*kColourFields[i]));
  preview_->SetColours(page);
}

void OptionsDialog::SetColour(Colour which, int32_t colourRef) {
  ColourOf(sheet_.appearance, which) = colourRef & 0x00FFFFFF;
  UpdatePreview();
}

// The chooser's custom colours come from the program folder and go back there
// whatever the answer, as the user may have made some before cancelling.
void OptionsDialog::ChooseColour(Colour which) {
  CustomColours custom = LoadCustomColours(folders_.programFolder);
  for (size_t i = 0; i < custom.size(); ++i) QColorDialog::setCustomColor(static_cast<int>(i), FromColourRef(custom[i]));
  QColorDialog chooser(FromColourRef(ColourOf(sheet_.appearance, which)), this);
  chooser.setOptions(QColorDialog::DontUseNativeDialog);
  bool chosen = chooser.exec() == QDialog::Accepted;
  for (size_t i = 0; i < custom.size(); ++i) custom[i] = ToColourRef(QColorDialog::customColor(static_cast<int>(i)));
  std::string error;
  if (!SaveCustomColours(folders_.programFolder, custom, &error)) notice_.Show(error, NoticeKind::Warning);
  if (chosen) SetColour(which, ToColourRef(chooser.selectedColor()));
}

void OptionsDialog::RunAdvanced() {
  QDialog dialog(this);
  dialog.setObjectName("advancedDialog");
  dialog.setWindowTitle(Utf8(text::kOptionsAdvancedCaption));
  auto* layout = new QVBoxLayout(&dialog);
  Mp3Page& page = sheet_.mp3;
  auto* copyright = new QCheckBox(Utf8(text::kOptionsCopyrightBit), &dialog);
  auto* original = new QCheckBox(Utf8(text::kOptionsOriginalBit), &dialog);
  auto* privateBit = new QCheckBox(Utf8(text::kOptionsPrivateBit), &dialog);
  copyright->setObjectName("copyrightBox");
  original->setObjectName("originalBox");
  privateBit->setObjectName("privateBox");
  copyright->setChecked(page.copyright);
  original->setChecked(page.original);
  privateBit->setChecked(page.privateBit);
  for (QCheckBox* box : {copyright, original, privateBit}) layout->addWidget(box);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return;
  page.copyright = copyright->isChecked();
  page.original = original->isChecked();
  page.privateBit = privateBit->isChecked();
}

}  // namespace sonvarek
