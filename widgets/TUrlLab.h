#pragma once
// A text label that acts as a link: while the mouse is over it, it shows its text
// in a second font (FontActive); a click opens a web address with the user's
// browser or starts a program with parameters.
#include "Exceptions.h"
#include "Font.h"
#include "PlatformTypes.h"
#include "WidgetFont.h"
#include "MouseEvents.h"
#include <QLabel>
#include <functional>

// Errors of the hyperlink label.
class EVKTURLLabError : public EVKTError {
public:
  using EVKTError::EVKTError;
};

class TUrlLab : public QLabel, public TMouseEvents {
  Q_OBJECT
  // The toolkit's text and toolTip are published as Caption and Hint; translation
  // goes through those (see TLexivaran2000).
  Q_CLASSINFO("ToolkitDuplicates", "text toolTip")
  Q_PROPERTY(QString URL READ URL WRITE SetURL)
  Q_PROPERTY(QString TaskParams READ TaskParams WRITE SetTaskParams)
  Q_PROPERTY(TFont* FontActive READ FontActive WRITE SetFontActive)
  // The label's usual properties.
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(TFont* Font READ Font)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(Platform::TAlignment Alignment READ Alignment WRITE SetAlignment)
  Q_PROPERTY(Platform::TVerticalAlignment Layout READ Layout WRITE SetLayout)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
  Q_PROPERTY(quint32 Color READ Color WRITE SetColor)
  Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
  Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)

public:
  explicit TUrlLab(QWidget* parent = nullptr);

  // Both are stored without leading and trailing spaces.
  QString URL() const { return url_; }
  void SetURL(const QString& v);
  QString TaskParams() const { return taskParams_; }
  void SetTaskParams(const QString& v);
  // The font while the mouse is over the label; the setter copies the attributes.
  TFont* FontActive() const { return fontActive_; }
  void SetFontActive(TFont* v);

  QString Caption() const { return text(); }
  void SetCaption(const QString& v);
  // The label's font (a change sets ParentFont to false); with ParentFont it follows
  // the font of the window it sits in.
  TFont* Font() const { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TVerticalAlignment Layout() const { return layout_; }
  void SetLayout(TVerticalAlignment v);
  // The label takes the size of its text (keeping the right edge when right-justified).
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool WordWrap() const { return wordWrap(); }
  void SetWordWrap(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool Visible() const;

  // The click: opens URL (see the .cpp), then fires OnClick. The two errors of the
  // label (EVKTURLLabError) interrupt it before OnClick.
  virtual void Click();

  // Stored settings: the normal font is copied from Font once the window is loaded.
  Q_INVOKABLE void Loaded();

  // Events (Sender first). OnMouseEnter/OnMouseLeave run before the font switch.
  std::function<void(QObject* Sender)> OnMouseEnter;
  std::function<void(QObject* Sender)> OnMouseLeave;

protected:
  bool event(QEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

private:
  void FontChanged();
  void FollowParentFont();
  void ApplyAlignment();
  void AdjustBounds();
  void RepaintIfVisible();
  QString ErrorPrefix() const;

  QString url_, taskParams_;
  TFont* font_;
  TFont* fontActive_;
  TParentFontWatch* fontWatch_ = nullptr;
  TFontData normalFont_;
  bool parentFont_ = true;
  bool followingParent_ = false;
  TAlignment alignment_ = taLeftJustify;
  TVerticalAlignment layout_ = vaTop;
  bool autoSize_ = true;
  bool transparent_ = false;
  TColor color_ = clBtnFace;
  bool colorSet_ = false;
};
