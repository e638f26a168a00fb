#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/user_notice.h"

namespace sonvarek {

// The desktop program's notices: a message box over `parent` with the product's
// name as its caption.
class MessageBoxNotice final : public UserNotice {
 public:
  explicit MessageBoxNotice(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Show(std::string_view text, NoticeKind kind) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace sonvarek
