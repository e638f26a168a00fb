#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sonvarek {

enum class NoticeKind { Information, Warning, Error };

// Interactive messages (message boxes in the desktop program, standard error on the
// command line). The core only ever speaks to users through this.
class UserNotice {
 public:
  virtual ~UserNotice() = default;
  virtual void Show(std::string_view text, NoticeKind kind) = 0;
};

// Prints each notice as one line on standard error.
class StandardErrorNotice final : public UserNotice {
 public:
  void Show(std::string_view text, NoticeKind kind) override;
};

// Keeps the texts, for tests.
class RecordingNotice final : public UserNotice {
 public:
  void Show(std::string_view text, NoticeKind) override { texts.emplace_back(text); }
  std::vector<std::string> texts;
};

}  // namespace sonvarek
