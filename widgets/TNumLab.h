#pragma once
// A framed numeric label: a value in a box, with a text to its left (a name)
// and to its right (a unit). Every change repaints synchronously: the label is
// drawn completely into its picture (an off-screen image of its own size, kept
// between paints) and the picture is copied to the screen in one operation.
#include "Canvas.h"
#include "MouseEvents.h"
#include "Colors.h"
#include "Font.h"
#include "NumLabText.h"
#include "WidgetFont.h"
#include "PlatformTypes.h"
#include <QWidget>
#include <functional>

class TNumLab : public QWidget, public TMouseEvents {
  Q_OBJECT
public:
  using TDisplay = NumLab::TDisplay;
  using enum NumLab::TDisplay;

private:
  Q_PROPERTY(Platform::TAlignment Alignment READ Alignment WRITE SetAlignment)
  Q_PROPERTY(quint32 ColorLabBakG READ ColorLabBakG WRITE SetColorLabBakG)
  Q_PROPERTY(quint32 ColorLabText READ ColorLabText WRITE SetColorLabText)
  Q_PROPERTY(quint32 ColorOutBakG READ ColorOutBakG WRITE SetColorOutBakG)
  Q_PROPERTY(quint32 ColorOutText READ ColorOutText WRITE SetColorOutText)
  Q_PROPERTY(Platform::TColorScheme ColorScheme READ ColorScheme WRITE SetColorScheme)
  Q_PROPERTY(bool Comma READ Comma WRITE SetComma)
  Q_PROPERTY(NumLab::TDisplay DisplayType READ DisplayType WRITE SetDisplayType)
  Q_PROPERTY(QString DTFormat READ DTFormat WRITE SetDTFormat)
  Q_PROPERTY(bool Empty READ Empty WRITE SetEmpty)
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
  Q_PROPERTY(bool ForcePlusSign READ ForcePlusSign WRITE SetForcePlusSign)
  Q_PROPERTY(Platform::TFrameStyle FrameStyle READ FrameStyle WRITE SetFrameStyle)
  Q_PROPERTY(int LabelWidth READ LabelWidth WRITE SetLabelWidth)
  Q_PROPERTY(int LeftSpace READ LeftSpace WRITE SetLeftSpace)
  Q_PROPERTY(QString LeftText READ LeftText WRITE SetLeftText)
  Q_PROPERTY(Platform::TAlignment LeftTextAlignment READ LeftTextAlignment WRITE SetLeftTextAlignment)
  Q_PROPERTY(QString OverflowIndicator READ OverflowIndicator WRITE SetOverflowIndicator)
  Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
  Q_PROPERTY(QString RightText READ RightText WRITE SetRightText)
  Q_PROPERTY(Platform::TAlignment RightTextAlignment READ RightTextAlignment WRITE SetRightTextAlignment)
  Q_PROPERTY(QString StateText READ StateText WRITE SetStateText)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(double Value READ Value WRITE SetValue)
  // Inherited from the platform's controls.
  Q_PROPERTY(TFont* Font READ Font)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
  Q_PROPERTY(int MouseArea READ MouseArea)
  // The toolkit's toolTip is published as Hint.
  Q_CLASSINFO("ToolkitDuplicates", "toolTip")

public:
  explicit TNumLab(QWidget* parent = nullptr);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { Set(alignment_, v); }
  TColor ColorLabBakG() const { return colorLabBakG_; }
  void SetColorLabBakG(TColor v) { Set(colorLabBakG_, v); }
  TColor ColorLabText() const { return colorLabText_; }
  void SetColorLabText(TColor v) { Set(colorLabText_, v); }
  TColor ColorOutBakG() const { return colorOutBakG_; }
  void SetColorOutBakG(TColor v) { Set(colorOutBakG_, v); }
  TColor ColorOutText() const { return colorOutText_; }
  void SetColorOutText(TColor v) { Set(colorOutText_, v); }
  // Sets the frame's highlight and shadow colours, then repaints.
  TColorScheme ColorScheme() const { return colorScheme_; }
  void SetColorScheme(TColorScheme v);
  bool Comma() const { return text_.Comma; }
  void SetComma(bool v) { Set(text_.Comma, v); }
  TDisplay DisplayType() const { return text_.DisplayType; }
  void SetDisplayType(TDisplay v) { Set(text_.DisplayType, v); }
  QString DTFormat() const { return text_.DTFormat; }
  void SetDTFormat(const QString& v) { Set(text_.DTFormat, v); }
  bool Empty() const { return empty_; }
  void SetEmpty(bool v) { Set(empty_, v); }
  // The label's own flag (a disabled parent does not grey the label's texts).
  bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
  void SetEnabled(bool v); // always repaints
  bool ForcePlusSign() const { return text_.ForcePlusSign; }
  void SetForcePlusSign(bool v) { Set(text_.ForcePlusSign, v); }
  TFrameStyle FrameStyle() const { return frameStyle_; }
  void SetFrameStyle(TFrameStyle v) { Set(frameStyle_, v); }
  int LabelWidth() const { return labelWidth_; }
  void SetLabelWidth(int v) { Set(labelWidth_, v); }
  int LeftSpace() const { return leftSpace_; }
  void SetLeftSpace(int v); // negative ignored, at most the width
  QString LeftText() const { return leftText_; }
  void SetLeftText(const QString& v) { Set(leftText_, v); }
  TAlignment LeftTextAlignment() const { return leftTextAlignment_; }
  void SetLeftTextAlignment(TAlignment v) { Set(leftTextAlignment_, v); }
  QString OverflowIndicator() const { return text_.OverflowIndicator; }
  void SetOverflowIndicator(const QString& v) { Set(text_.OverflowIndicator, v); }
  int Precision() const { return text_.Precision; }
  void SetPrecision(int v); // negative ignored, at most 15
  QString RightText() const { return rightText_; }
  void SetRightText(const QString& v) { Set(rightText_, v); }
  TAlignment RightTextAlignment() const { return rightTextAlignment_; }
  void SetRightTextAlignment(TAlignment v) { Set(rightTextAlignment_, v); }
  QString StateText() const { return text_.StateText; }
  void SetStateText(const QString& v) { Set(text_.StateText, v); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  double Value() const { return value_; }
  void SetValue(double v); // NaN ignored

  // The label's font (a change sets ParentFont to false); with ParentFont it follows
  // the font of the window it sits in.
  TFont* Font() const { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  // The label's own visibility flag (true until the label is hidden, even while its
  // window is not shown yet).
  bool Visible() const;
  void SetVisible(bool v) { setVisible(v); }

  // Which part the mouse was last over: 0 left text, 1 value box, 2 right text.
  int MouseArea() const { return mouseArea_; }

  // Copies the display settings of another label (not Comma, ForcePlusSign, DTFormat,
  // Enabled, the font or the event), then repaints. Other sources raise EConvertError.
  void Assign(QObject* Source);
  // Assigning this label to another label copies it there.
  void AssignTo(QObject* Dest) const;

  // The value as text, before the overflow test and OnBeforeDisplay.
  QString ValueText() const { return NumLab::ValueText(value_, text_); }
  // What the label shows right now (its last paint), before the copy to the screen,
  // and the value text in it (after OnBeforeDisplay and the overflow test; empty when Empty).
  const QImage& Picture() const { return picture_; }
  const QString& ShownText() const { return shownText_; }

  // Draws the label into its picture and shows it at once.
  void Paint();

  // Stored settings: after the window's settings have been applied.
  Q_INVOKABLE void Loaded();

  // Events (Sender first).
  std::function<void(QObject* Sender, QString& Text)> OnBeforeDisplay;

protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

private:
  template <class T> void Set(T& field, const T& v) {
    if (field == v) return;
    field = v;
    Paint();
  }
  void BuildPicture();
  void DrawSideText(const QString& text, int x, int ty, bool whiteCopyLeft);
  void FollowParentFont();

  TAlignment alignment_ = taCenter;
  TColor colorLabBakG_ = clBtnFace, colorLabText_ = clBlack, colorOutBakG_ = clBtnFace, colorOutText_ = clBlack;
  TColorScheme colorScheme_ = csBWG;
  TColor frameHighlight_ = clWhite, frameShadow_ = clGray, frameDark_ = clBlack;
  bool empty_ = false, transparent_ = false;
  TFrameStyle frameStyle_ = fsLowered;
  int labelWidth_ = 80, leftSpace_ = 35;
  QString leftText_, rightText_;
  TAlignment leftTextAlignment_ = taRightJustify, rightTextAlignment_ = taLeftJustify;
  double value_ = 0.0;
  NumLab::TextSettings text_;

  TFont* font_;
  TParentFontWatch* fontWatch_ = nullptr;
  bool parentFont_ = true;
  bool followingParent_ = false;
  int mouseArea_ = 0;

  QImage picture_;
  QString shownText_;
  TCanvas canvas_{&picture_};
  bool building_ = false;   // inside BuildPicture (OnBeforeDisplay may change settings)
  bool presenting_ = false; // the paint event only copies the fresh picture
};
