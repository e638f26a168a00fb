#pragma once

#include <QDialog>
#include <string>

#include "platform/user_notice.h"

class QPlainTextEdit;

namespace sonvarek {

// "Rip Log - <file>": a rip's log as the rip wrote it, read-only in a fixed-pitch font,
// with Close.
class RipLogWindow final : public QDialog {
  Q_OBJECT

 public:
  RipLogWindow(const QString& text, const QString& fileName, QWidget* parent = nullptr);
  QPlainTextEdit* text() const { return text_; }

 private:
  QPlainTextEdit* text_;
};

// Reads the log at `path` as UTF-8 and shows it in a window modal to `parent`, deleted
// when closed. A file that cannot be read is told through `notice`, and no window opens.
RipLogWindow* OpenRipLogWindow(const std::string& path, UserNotice& notice, QWidget* parent);

}  // namespace sonvarek
