#pragma once

#include <QString>
#include <string>
#include <string_view>

class QColor;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace sonvarek {

// The windows keep every text as UTF-8 std::string; these cross into and out of Qt.
inline QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

// The settings keep colours as 0x00BBGGRR.
QColor FromColourRef(int32_t colour);
int32_t ToColourRef(const QColor& colour);

// The band across the top of the options sheet and the information dialogs: the
// program's name in the dialogs' title font.
QLabel* MakeTitleBand(QWidget* parent);

// A named one-line edit holding `text`; `maxLength` characters at most when above 0.
QLineEdit* MakeLineEdit(const std::string& text, const char* name, QWidget* parent, int maxLength = 0);
// A label whose mnemonic focuses `buddy`.
QLabel* BuddyLabel(const char* text, QWidget* buddy, QWidget* parent);
// Only digits can be typed into `edit`.
void AcceptDigitsOnly(QLineEdit* edit);
// The information dialogs' three-line comment box; Tab leaves it.
QPlainTextEdit* MakeCommentEdit(const std::string& text, QWidget* parent);

// A label of a dialog's pane: centred, wrapped, selectable.
QLabel* PaneLabel(const QString& text, const char* name, QWidget* parent);

// The application's wait cursor while a dialog's exchange runs; taken back at the
// latest when the dialog goes.
class WaitCursor {
 public:
  WaitCursor() = default;
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { Set(false); }
  void Set(bool on);

 private:
  bool on_ = false;
};

// The information dialogs' genre box: the 126 names and the empty entry that ends
// the list, and any typed text.
QComboBox* MakeGenreBox(const std::string& genre, QWidget* parent);

}  // namespace sonvarek
