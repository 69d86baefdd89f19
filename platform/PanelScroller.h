#pragma once
// Keeps every child of a panel reachable when the panel is shorter than its
// children need. The children keep their designed positions; below the needed
// height a vertical scroll bar appears at the panel's right edge (the panel grows
// by the bar's width, so the bar covers no child: the panel must be aligned left
// or right, its width being its own) and moves them. The wheel over the panel,
// and the focus going to a child out of view, scroll too. At a height that holds
// every child nothing is added and nothing moves.
#include <QObject>

class QScrollBar;
class QWidget;

class TPanelScroller : public QObject {
public:
  // bottomMargin: room kept below the lowest child.
  TPanelScroller(QWidget* panel, int bottomMargin);

  // The height that holds every child at its designed position.
  int ContentHeight() const;
  // Switched off, the panel keeps its designed width and its children never move.
  void SetEnabled(bool on);
  bool Enabled() const { return enabled_; }
  // Scrolls as little as needed to bring the child fully into view.
  void EnsureVisible(QWidget* child);
  int Offset() const { return offset_; }
  QScrollBar* Bar() const { return bar_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Update();
  void ScrollTo(int offset);

  QWidget* panel_;
  QScrollBar* bar_;
  int designedWidth_;
  int margin_;
  int offset_ = 0; // how far the children are moved up
  bool enabled_ = true;
  bool updating_ = false;
};
