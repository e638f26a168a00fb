#include "ui/track_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>

#include "core/string_table.h"
#include "ui/colour_preview.h"
#include "ui/dialog_support.h"

namespace sonvarek {

void TrackListDelegate::SetColours(const Settings& settings) {
  text_ = FromColourRef(settings.TextColor);
  selectedText_ = FromColourRef(settings.TextSelColor);
  background_ = FromColourRef(settings.BackgroundColor);
  shadow_ = FromColourRef(settings.TextShadowColor);
  shadowOn_ = settings.BoolShadowColor != 0;
}

QWidget* TrackListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
  if (index.column() != 1) return nullptr;
  return QStyledItemDelegate::createEditor(parent, option, index);
}

void TrackListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  bool selected = (cell.state & QStyle::State_Selected) != 0;
  QString text = cell.text;
  cell.text.clear();
  // The style draws the background, focus and check box; the text is drawn here in the user's colours.
  painter->fillRect(cell.rect, background_);
  cell.backgroundBrush = QBrush(background_);
  cell.state &= ~QStyle::State_Selected;
  // The check box is drawn in the text's colour, so it shows on any background.
  cell.palette.setColor(QPalette::Text, text_);
  cell.palette.setColor(QPalette::WindowText, text_);
  cell.palette.setColor(QPalette::Base, background_);
  cell.palette.setColor(QPalette::Window, background_);
  cell.palette.setColor(QPalette::Button, background_);
  if (selected) painter->fillRect(cell.rect, background_.lighter(160));
  const QWidget* widget = cell.widget;
  QStyle* style = widget ? widget->style() : nullptr;
  if (style) style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
  QRect textRect = style ? style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget) : cell.rect;
  int alignment = static_cast<int>(cell.displayAlignment) | Qt::AlignVCenter;
  painter->save();
  painter->setFont(cell.font);
  DrawShadowedText(*painter, textRect, alignment, text, selected ? selectedText_ : text_,
                   shadowOn_ ? std::optional<QColor>(shadow_) : std::nullopt);
  painter->restore();
}

TrackListView::TrackListView(QWidget* parent) : QTreeWidget(parent), delegate_(new TrackListDelegate(this)) {
  setObjectName("trackList");
  setColumnCount(4);
  setHeaderLabels({text::kColumnNumber, text::kColumnTitle, text::kColumnLength, text::kColumnSize});
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::SelectedClicked);
  setItemDelegate(delegate_);
  header()->setStretchLastSection(false);
  header()->setDefaultAlignment(Qt::AlignCenter);
  connect(this, &QTreeWidget::itemChanged, this, &TrackListView::ItemChanged);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (!rendering_ && item) emit rowHighlighted(indexOfTopLevelItem(item));
  });
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int column) {
    if (column != 1) emit playRequested();
  });
}

void TrackListView::SetColours(const Settings& settings) {
  delegate_->SetColours(settings);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, FromColourRef(settings.BackgroundColor));
  setPalette(palette);
  viewport()->update();
}

void TrackListView::SetColumnWidths(const std::array<int32_t, 4>& widths) {
  for (int column = 0; column < 4; ++column) setColumnWidth(column, widths[static_cast<size_t>(column)]);
}

std::array<int32_t, 4> TrackListView::ColumnWidths() const {
  std::array<int32_t, 4> widths{};
  for (int column = 0; column < 4; ++column) widths[static_cast<size_t>(column)] = columnWidth(column);
  return widths;
}

std::optional<size_t> TrackListView::CurrentRow() const {
  int row = currentItem() ? indexOfTopLevelItem(currentItem()) : -1;
  if (row < 0) return std::nullopt;
  return static_cast<size_t>(row);
}

void TrackListView::Render(const TrackList& list) {
  rendering_ = true;
  const std::vector<TrackRow>& rows = list.Rows();
  while (topLevelItemCount() > static_cast<int>(rows.size())) delete takeTopLevelItem(topLevelItemCount() - 1);
  while (topLevelItemCount() < static_cast<int>(rows.size())) addTopLevelItem(new QTreeWidgetItem);
  for (size_t i = 0; i < rows.size(); ++i) {
    const TrackRow& row = rows[i];
    QTreeWidgetItem* item = topLevelItem(static_cast<int>(i));
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
    if (!row.isData) flags |= Qt::ItemIsUserCheckable;
    item->setFlags(flags);
    item->setText(0, QString::asprintf(text::kTrackNumberFormat, row.track));
    item->setText(1, Utf8(row.title));
    item->setText(2, Utf8(row.lengthText));
    item->setText(3, Utf8(row.sizeText));
    item->setData(0, Qt::UserRole, row.track - 1);  // the item value: the track index
    item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    for (int column : {0, 2, 3}) item->setTextAlignment(column, Qt::AlignCenter);
  }
  std::optional<size_t> highlighted = list.Highlighted();
  if (highlighted && *highlighted < rows.size()) {
    QTreeWidgetItem* item = topLevelItem(static_cast<int>(*highlighted));
    setCurrentItem(item);
    scrollToItem(item);
  } else {
    setCurrentItem(nullptr);
  }
  rendering_ = false;
}

void TrackListView::ItemChanged(QTreeWidgetItem* item, int column) {
  if (rendering_) return;
  int row = indexOfTopLevelItem(item);
  if (column == 0) emit rowChecked(row, item->checkState(0) == Qt::Checked);
  if (column == 1) emit titleEdited(row, item->text(1));
}

void TrackListView::keyPressEvent(QKeyEvent* event) {
  // Enter plays the highlighted track; F2 is Track Info, so titles are edited by a click on the highlighted row.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState) {
    emit playRequested();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace sonvarek
