#include "ui/colour_preview.h"

#include <QFontMetrics>
#include <QPainter>

#include "core/string_table.h"
#include "ui/dialog_support.h"

namespace sonvarek {

void DrawShadowedText(QPainter& painter, const QRect& rect, int alignment, const QString& text, const QColor& colour,
                      const std::optional<QColor>& shadow) {
  if (shadow) {
    painter.setPen(*shadow);
    painter.drawText(rect.translated(1, 1), alignment, text);
  }
  painter.setPen(colour);
  painter.drawText(rect, alignment, text);
}

ColourPreview::ColourPreview(QWidget* parent) : QWidget(parent) {}

void ColourPreview::SetColours(const AppearancePage& colours) {
  colours_ = colours;
  update();
}

QSize ColourPreview::sizeHint() const {
  const int line = fontMetrics().height() + 6;
  return {fontMetrics().horizontalAdvance(Utf8(text::kOptionsPreviewStatusText)) + 24, line * 4};
}

void ColourPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor background = FromColourRef(colours_.background);
  painter.fillRect(rect(), background);
  const int line = fontMetrics().height() + 6;
  std::optional<QColor> shadow;
  if (colours_.drawShadow) shadow = FromColourRef(colours_.textShadow);
  const int alignment = Qt::AlignLeft | Qt::AlignVCenter;
  QRect row(8, 4, width() - 16, line);
  DrawShadowedText(painter, row, alignment, Utf8(text::kOptionsPreviewText), FromColourRef(colours_.text), shadow);
  row.translate(0, line);
  // The highlighted row as the list marks it: a lighter band behind the text.
  painter.fillRect(row.adjusted(-4, 0, 4, 0), background.lighter(160));
  DrawShadowedText(painter, row, alignment, Utf8(text::kOptionsPreviewHighlightedText),
                   FromColourRef(colours_.highlightedText), shadow);
  QRect status(8, height() - line, width() - 16, line - 4);
  DrawShadowedText(painter, status, alignment, Utf8(text::kOptionsPreviewStatusText),
                   FromColourRef(colours_.statusLine), std::nullopt);
}

}  // namespace sonvarek
