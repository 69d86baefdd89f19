#include "TNumLab.h"

#include "Exceptions.h"
#include "WidgetAccessible.h"

#include <QAccessible>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// Sets a flag for the life of a scope.
struct FlagScope {
  bool& flag;
  explicit FlagScope(bool& f) : flag(f) { flag = true; }
  ~FlagScope() { flag = false; }
};

// The text whose height places every text of the label: parentheses, a descender,
// brackets and accented capitals span the font's full cell.
const QString& HeightSample() {
  static const QString sample = QStringLiteral("(8g]}\u00DC\u00C4\u00A7");
  return sample;
}

// Assistive technology reads the shown text as the label's name: a new text is announced.
void AnnounceShownText(QWidget* label) {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent event(label, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

} // namespace

TNumLab::TNumLab(QWidget* parent)
    : QWidget(parent), font_(new TFont(this)), fontWatch_(new TParentFontWatch(this, [this] { FollowParentFont(); })) {
  text_.DisplayType = dtFixP;
  text_.Precision = 2;
  text_.DTFormat = QStringLiteral("mmm-dd, yyyy");
  text_.StateText = QStringLiteral("undefined");
  text_.OverflowIndicator = QStringLiteral("*********");
  font_->setObjectName(QStringLiteral("Font"));
  FollowParentFont();
  font_->OnChange = [this](QObject*) {
    if (!followingParent_) parentFont_ = false;
    Paint();
  };
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true); // MouseArea follows the mouse without a button held
  resize(160, 28);
  InstallWidgetAccessibility();
}

bool TNumLab::Visible() const {
  return !(testAttribute(Qt::WA_WState_Hidden) && testAttribute(Qt::WA_WState_ExplicitShowHide));
}

void TNumLab::SetColorScheme(TColorScheme v) {
  colorScheme_ = v;
  frameHighlight_ = v == csBWG ? clWhite : clBtnHighlight;
  frameShadow_ = v == csBWG ? clGray : clBtnShadow;
  Paint();
}

void TNumLab::SetEnabled(bool v) {
  setEnabled(v);
  Paint();
}

void TNumLab::SetLeftSpace(int v) {
  if (v < 0) return;
  Set(leftSpace_, std::min(v, width()));
}

void TNumLab::SetPrecision(int v) {
  if (v < 0) return;
  Set(text_.Precision, std::min(v, 15));
}

void TNumLab::SetTransparent(bool v) {
  if (transparent_ == v) return;
  transparent_ = v;
  // A transparent label lets the parent paint its background beneath it first.
  setAttribute(Qt::WA_OpaquePaintEvent, !v);
  if (v) update();
  else Paint();
}

void TNumLab::SetValue(double v) {
  if (std::isnan(v) || v == value_) return;
  value_ = v;
  Paint();
}

void TNumLab::SetParentFont(bool v) {
  if (parentFont_ == v) return;
  parentFont_ = v;
  FollowParentFont();
  Paint();
}

void TNumLab::FollowParentFont() {
  if (!parentFont_) return;
  FlagScope scope(followingParent_);
  font_->SetData(InheritedFontData(parentWidget()));
}

void TNumLab::Loaded() { FollowParentFont(); }

void TNumLab::Assign(QObject* Source) {
  auto* src = qobject_cast<TNumLab*>(Source);
  if (!src) {
    const QString from = Source ? QString::fromLatin1(Source->metaObject()->className()) : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(from, QString::fromLatin1(metaObject()->className())));
  }
  if (src == this) return;
  leftSpace_ = src->leftSpace_;
  empty_ = src->empty_;
  labelWidth_ = src->labelWidth_;
  text_.Precision = src->text_.Precision;
  leftText_ = src->leftText_;
  rightText_ = src->rightText_;
  frameStyle_ = src->frameStyle_;
  alignment_ = src->alignment_;
  rightTextAlignment_ = src->rightTextAlignment_;
  leftTextAlignment_ = src->leftTextAlignment_;
  text_.OverflowIndicator = src->text_.OverflowIndicator;
  value_ = src->value_;
  text_.StateText = src->text_.StateText;
  if (transparent_ != src->transparent_) {
    transparent_ = src->transparent_;
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent_);
  }
  colorLabBakG_ = src->colorLabBakG_;
  colorLabText_ = src->colorLabText_;
  colorOutBakG_ = src->colorOutBakG_;
  colorOutText_ = src->colorOutText_;
  frameHighlight_ = src->frameHighlight_;
  frameShadow_ = src->frameShadow_;
  frameDark_ = src->frameDark_;
  colorScheme_ = src->colorScheme_;
  text_.DisplayType = src->text_.DisplayType;
  Paint();
}

void TNumLab::AssignTo(QObject* Dest) const {
  if (auto* dest = qobject_cast<TNumLab*>(Dest)) {
    dest->Assign(const_cast<TNumLab*>(this));
    return;
  }
  const QString to = Dest ? QString::fromLatin1(Dest->metaObject()->className()) : QStringLiteral("nil");
  throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(QString::fromLatin1(metaObject()->className()), to));
}

// ---- Painting -------------------------------------------------------------------------------

void TNumLab::Paint() {
  if (!Visible()) return;
  if (building_) {
    // A setting changed from inside OnBeforeDisplay: draw it with the next paint.
    update();
    return;
  }
  BuildPicture();
  if (!isVisible()) return; // the picture waits for the first showing
  FlagScope scope(presenting_);
  repaint();
}

void TNumLab::DrawSideText(const QString& text, int x, int ty, bool whiteCopyLeft) {
  if (text.isEmpty()) return;
  TCanvas& c = canvas_;
  if (Enabled()) {
    c.Font.Color = colorOutText_;
    c.TextOut(x, ty, text);
    return;
  }
  // Engraved: a white copy one pixel down and aside, the grey text above it.
  c.Brush.Style = bsClear;
  c.Font.Color = clWhite;
  c.TextOut(whiteCopyLeft ? x - 1 : x + 1, ty + 1, text);
  c.Font.Color = clGray;
  c.TextOut(x, ty, text);
}

void TNumLab::BuildPicture() {
  const int W = width(), H = height();
  if (W <= 0 || H <= 0) {
    picture_ = QImage();
    return;
  }
  FlagScope scope(building_);
  // At the screen's resolution: DeviceScale() pixels per logical pixel.
  const int scale = DeviceScaleFor(devicePixelRatio());
  if (picture_.size() != QSize(W, H) * scale || canvas_.DeviceScale() != scale) {
    picture_ = QImage(W * scale, H * scale, QImage::Format_RGB32);
    if (scale != 1) picture_.setDevicePixelRatio(scale);
  }
  TCanvas& c = canvas_;
  c.Font = font_->Data();
  const int ty = (H - c.TextHeight(HeightSample())) / 2;

  // Background; white lets the parent show through when the picture is ANDed onto it.
  const TColor out = transparent_ ? clWhite : colorOutBakG_;
  c.Pen = TPen{};
  c.Pen.Color = out;
  c.Brush = {out, bsSolid};
  c.Rectangle(0, 0, W, H);

  const int L = leftSpace_, B = labelWidth_;
  int w = c.TextWidth(leftText_);
  int x = leftTextAlignment_ == taLeftJustify    ? 7
          : leftTextAlignment_ == taRightJustify ? L - w - 5
                                                 : (L - w) / 2;
  DrawSideText(leftText_, x, ty, false);
  w = c.TextWidth(rightText_);
  x = rightTextAlignment_ == taLeftJustify    ? L + B + 7
      : rightTextAlignment_ == taRightJustify ? W - w - 6
                                              : L + B + 1 + (W - L - B - w) / 2;
  DrawSideText(rightText_, x, ty, rightTextAlignment_ == taRightJustify);

  // The value box and its 3-D frame.
  c.Pen.Color = frameStyle_ == fsNone       ? colorLabBakG_
                : frameStyle_ == fsEmbossed ? frameHighlight_
                                            : frameShadow_;
  c.Brush = {colorLabBakG_, bsSolid};
  if (frameStyle_ == fsNone || frameStyle_ == fsSimple) {
    c.Rectangle(L, 0, L + B + 2, H);
  } else {
    c.Rectangle(L, 0, L + B + 2, H - 1);
    TColor upper = frameDark_, lower = frameHighlight_; // fsLowered
    if (frameStyle_ == fsRaised) {
      upper = frameHighlight_;
      lower = frameDark_;
    } else if (frameStyle_ == fsEmbossed) {
      upper = lower = frameShadow_;
    } else if (frameStyle_ == fsEngraved) {
      upper = lower = frameHighlight_;
    }
    c.Pen.Color = upper;
    const QPoint upperLeft[3] = {{L + 1, H - 3}, {L + 1, 1}, {L + B + 1, 1}};
    c.Polyline(upperLeft, 3);
    c.Pen.Color = lower;
    const QPoint lowerRight[3] = {{L + 1, H - 1}, {L + B + 2, H - 1}, {L + B + 2, 0}};
    c.Polyline(lowerRight, 3);
  }

  if (empty_) {
    if (!shownText_.isEmpty()) {
      shownText_.clear();
      AnnounceShownText(this);
    }
    return;
  }
  QString text = ValueText();
  if (OnBeforeDisplay) OnBeforeDisplay(this, text);
  w = c.TextWidth(text);
  if (w > B - 6 && text_.DisplayType != dtState) {
    text = text_.OverflowIndicator;
    w = c.TextWidth(text);
  }
  c.Font.Color = Enabled() ? colorLabText_ : clGray;
  x = alignment_ == taLeftJustify    ? L + 4
      : alignment_ == taRightJustify ? L + B - w - 2
                                     : L + 2 + (B - w) / 2;
  // Platform rectangle (L + 3, 2, L + B - 1, H - 3), right and bottom excluded.
  c.TextRect(QRect(L + 3, 2, B - 4, H - 5), x, ty, text);
  if (text == shownText_) return;
  shownText_ = std::move(text);
  AnnounceShownText(this);
}

void TNumLab::paintEvent(QPaintEvent*) {
  // A paint request of the system draws the label as a change does.
  if (!presenting_) BuildPicture();
  if (picture_.isNull()) return;
  if (!transparent_) {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, picture_);
    return;
  }
  // The parent's background is already beneath: clear the box, then AND the picture
  // onto it so that its white parts leave the background visible.
  const int L = leftSpace_, B = labelWidth_, H = height();
  TCanvas c(static_cast<QPaintDevice*>(this));
  const TColor box = colorLabText_ == clBlack ? colorLabBakG_ : clWhite;
  c.Pen.Color = box;
  c.Brush = {box, bsSolid};
  c.Rectangle(L + 2, 2, L + B, H - 2);
  c.CopyRect(rect(), picture_, rect(), cmSrcAnd);
}

void TNumLab::resizeEvent(QResizeEvent*) { Paint(); }

bool TNumLab::event(QEvent* e) {
  if (e->type() == QEvent::ParentChange) {
    if (fontWatch_) fontWatch_->Rewatch();
    FollowParentFont();
  }
  return QWidget::event(e);
}

// ---- Mouse ----------------------------------------------------------------------------------

void TNumLab::mousePressEvent(QMouseEvent* e) { MousePressed(this, e); }

void TNumLab::mouseReleaseEvent(QMouseEvent* e) {
  MouseReleased(this, e, [this] {
    if (OnClick) OnClick(this);
  });
}

void TNumLab::mouseDoubleClickEvent(QMouseEvent* e) { MouseDoubleClicked(this, e); }

void TNumLab::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  mouseArea_ = p.x() <= leftSpace_ ? 0 : p.x() <= leftSpace_ + labelWidth_ ? 1 : 2;
  MouseMoved(this, e);
}
