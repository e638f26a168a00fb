#include "ui/dialog_support.h"

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

#include "core/records.h"
#include "core/string_table.h"

namespace sonvarek {

QColor FromColourRef(int32_t colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

int32_t ToColourRef(const QColor& colour) {
  return static_cast<int32_t>(colour.red()) | (colour.green() << 8) | (colour.blue() << 16);
}

QLabel* MakeTitleBand(QWidget* parent) {
  auto* band = new QLabel(Utf8(text::kProductName), parent);
  band->setObjectName("titleBand");
  // The font is asked for by name; fontconfig stands in a sans face where it is missing.
  QFont font(QString::fromLatin1(text::kDialogTitleFont));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(18);
  font.setWeight(QFont::Bold);
  band->setFont(font);
  band->setAutoFillBackground(true);
  band->setBackgroundRole(QPalette::Highlight);
  band->setForegroundRole(QPalette::HighlightedText);
  band->setMargin(6);
  return band;
}

QLineEdit* MakeLineEdit(const std::string& text, const char* name, QWidget* parent, int maxLength) {
  auto* edit = new QLineEdit(Utf8(text), parent);
  edit->setObjectName(name);
  if (maxLength > 0) edit->setMaxLength(maxLength);
  return edit;
}

QLabel* BuddyLabel(const char* text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(Utf8(text), parent);
  label->setBuddy(buddy);
  return label;
}

void AcceptDigitsOnly(QLineEdit* edit) {
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
}

QPlainTextEdit* MakeCommentEdit(const std::string& text, QWidget* parent) {
  auto* edit = new QPlainTextEdit(Utf8(text), parent);
  edit->setObjectName("commentEdit");
  edit->setTabChangesFocus(true);
  edit->setFixedHeight(edit->fontMetrics().lineSpacing() * 3 + 12);
  return edit;
}

QLabel* PaneLabel(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignCenter);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

void WaitCursor::Set(bool on) {
  if (on == on_) return;
  on_ = on;
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

QComboBox* MakeGenreBox(const std::string& genre, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName("genreBox");
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMaxVisibleItems(16);
  for (std::string_view name : GenreTable()) box->addItem(Utf8(name));
  box->setEditText(Utf8(genre));
  return box;
}

}  // namespace sonvarek
