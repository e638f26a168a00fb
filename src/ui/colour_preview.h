#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

#include "session/options_sheet.h"

class QPainter;

namespace sonvarek {

// Text in the list's colours: the shadow first, one pixel down and right, when on.
void DrawShadowedText(QPainter& painter, const QRect& rect, int alignment, const QString& text, const QColor& colour,
                      const std::optional<QColor>& shadow);

// The "Appearance" page's preview: two list rows, the second highlighted, and a
// status line, drawn as the main window will draw them.
class ColourPreview final : public QWidget {
 public:
  explicit ColourPreview(QWidget* parent = nullptr);
  void SetColours(const AppearancePage& colours);
  const AppearancePage& colours() const { return colours_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  AppearancePage colours_;
};

}  // namespace sonvarek
