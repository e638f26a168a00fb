#include "ui/rip_log_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/string_table.h"
#include "core/text_format.h"
#include "ui/dialog_support.h"

namespace sonvarek {

RipLogWindow::RipLogWindow(const QString& text, const QString& fileName, QWidget* parent)
    : QDialog(parent), text_(new QPlainTextEdit(this)) {
  setObjectName("ripLogWindow");
  setWindowTitle(Utf8(FormatText(text::kRipLogCaption, ToUtf8(fileName))));
  setSizeGripEnabled(true);

  text_->setObjectName("ripLogText");
  text_->setReadOnly(true);
  // The log's columns line up only in a fixed-pitch font; long lines scroll, not wrap.
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setPlainText(text);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->setObjectName("buttons");
  buttons->button(QDialogButtonBox::Close)->setDefault(true);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_, 1);
  layout->addWidget(buttons);
  resize(760, 480);
}

RipLogWindow* OpenRipLogWindow(const std::string& path, UserNotice& notice, QWidget* parent) {
  QFile file(Utf8(path));
  QByteArray bytes;
  if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    notice.Show(FormatText(text::kCantReadRipLog, path, ToUtf8(file.errorString())), NoticeKind::Error);
    return nullptr;
  }
  auto* window = new RipLogWindow(QString::fromUtf8(bytes), QFileInfo(Utf8(path)).fileName(), parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowModality(Qt::WindowModal);
  window->show();
  return window;
}

}  // namespace sonvarek
