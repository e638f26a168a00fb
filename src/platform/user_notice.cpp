#include "platform/user_notice.h"

#include <cstdio>

namespace sonvarek {

void StandardErrorNotice::Show(std::string_view text, NoticeKind kind) {
  const char* prefix = kind == NoticeKind::Information ? "" : kind == NoticeKind::Warning ? "warning: " : "error: ";
  (void)std::fprintf(stderr, "sonvarek: %s%.*s\n", prefix, static_cast<int>(text.size()), text.data());
}

}  // namespace sonvarek
