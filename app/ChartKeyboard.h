#pragma once
// Operating the chart and the window without a mouse.
//
// TChartKeyboard: the chart takes the keyboard focus (Tab, or a click) and then
// shows a dotted frame along its edge; + and - zoom in and out around the centre
// of the view, the arrow keys move the view by a tenth of its width or height,
// 0 and Home restore the 1:1 view, Esc cancels a zoom band being drawn, and the
// context-menu key or Shift+F10 open the pop-up menu. Tab and Shift+Tab move on
// to the next and previous control. Nothing changes on the screen before the
// chart has the focus.
//
// EnableKeyboardAccess: the scroll bars take the focus too, the memo passes Tab
// on, and the buttons' Alt+letter mnemonics (the "&" in their captions) are
// underlined only while Alt is held, so the window looks as designed otherwise.
#include "HandlerList.h"

#include <QList>
#include <QObject>
#include <functional>

class QAbstractButton;
class QKeyEvent;
class QMenu;
class QPlainTextEdit;
class QScrollBar;
class TCanvas;
class TCustomRChart;
class TFeatureContext;

class TChartKeyboard : public QObject {
  Q_OBJECT
public:
  static constexpr double ZoomStep = 2;   // + halves the visible ranges, - doubles them
  static constexpr double PanFraction = 0.1;

  // Operates the context's chart and opens its menu; 0 and Home call zoom11.
  TChartKeyboard(TFeatureContext& context, std::function<void()> zoom11);

  // Zooms every mouse-controlled layer around the centre of its view: factor < 1 zooms in.
  void ZoomAroundCentre(double factor);
  // Moves the view by fractions of its width (right: positive) and height (up: positive).
  void Pan(double fx, double fy);
  // Opens the pop-up menu at the centre of the data area.
  void OpenPopup();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  bool HandleKey(QKeyEvent* event);
  void ShowFocus(bool on);
  void DrawFocusFrame(TCanvas& canvas);
  void MoveFocus(bool forward);
  void Change(double factor, double fx, double fy);

  TFeatureContext& context_;
  TCustomRChart* chart_;
  QMenu* popup_;
  std::function<void()> zoom11_;
  bool framed_ = false;
  THandlerLink frame_; // in the chart's ScalesRendered while the frame shows
};

void EnableKeyboardAccess(QPlainTextEdit* memo, const QList<QScrollBar*>& bars,
                          const QList<QAbstractButton*>& buttons);
