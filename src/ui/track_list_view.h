#pragma once

#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "core/settings.h"
#include "session/track_list.h"

namespace sonvarek {

// The list's colours (section COLOR): text, highlighted text and background, with the
// text's shadow behind it when shadows are on.
class TrackListDelegate final : public QStyledItemDelegate {
 public:
  explicit TrackListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
  void SetColours(const Settings& settings);
  // Only the title is edited in place; the other columns are the disc's.
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  QColor text_;
  QColor selectedText_;
  QColor background_;
  QColor shadow_;
  bool shadowOn_ = false;
};

// The track list's view: one row per row of the session's TrackList, check boxes in
// column 0, titles editable in place. It never keeps state of its own: every user
// action goes to the callbacks, and Render shows the list again.
class TrackListView final : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TrackListView(QWidget* parent = nullptr);

  void Render(const TrackList& list);
  void SetColours(const Settings& settings);
  void SetColumnWidths(const std::array<int32_t, 4>& widths);
  std::array<int32_t, 4> ColumnWidths() const;
  std::optional<size_t> CurrentRow() const;

 signals:
  void rowChecked(int row, bool checked);
  void titleEdited(int row, const QString& title);
  void rowHighlighted(int row);
  void playRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ItemChanged(QTreeWidgetItem* item, int column);

  TrackListDelegate* delegate_;
  bool rendering_ = false;
};

}  // namespace sonvarek
