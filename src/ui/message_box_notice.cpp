#include "ui/message_box_notice.h"

#include <QMessageBox>

#include "core/string_table.h"

namespace sonvarek {

void MessageBoxNotice::Show(std::string_view text, NoticeKind kind) {
  QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  QString caption = QString::fromUtf8(text::kProductName);
  switch (kind) {
    case NoticeKind::Information: QMessageBox::information(parent_, caption, message); break;
    case NoticeKind::Warning: QMessageBox::warning(parent_, caption, message); break;
    case NoticeKind::Error: QMessageBox::critical(parent_, caption, message); break;
  }
}

}  // namespace sonvarek
