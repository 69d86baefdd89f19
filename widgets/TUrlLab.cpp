#include "TUrlLab.h"

#include "Shell.h"
#include "WidgetAccessible.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <algorithm>

TUrlLab::TUrlLab(QWidget* parent)
    : QLabel(parent), font_(new TFont(this)), fontActive_(new TFont(this)),
      fontWatch_(new TParentFontWatch(this, [this] { FollowParentFont(); })) {
  font_->setObjectName(QStringLiteral("Font"));
  fontActive_->setObjectName(QStringLiteral("FontActive"));
  // "&" in the caption is shown as it is, not as an accelerator.
  setTextFormat(Qt::PlainText);
  FollowParentFont();
  FontChanged();
  fontActive_->SetData(font_->Data());
  normalFont_ = font_->Data();
  font_->OnChange = [this](QObject*) {
    if (!followingParent_) parentFont_ = false;
    FontChanged();
  };
  fontActive_->OnChange = [this](QObject*) { RepaintIfVisible(); };
  ApplyAlignment();
  InstallWidgetAccessibility();
}

void TUrlLab::RepaintIfVisible() {
  if (isVisible()) update();
}

void TUrlLab::SetURL(const QString& v) {
  url_ = v.trimmed();
  RepaintIfVisible();
}

void TUrlLab::SetTaskParams(const QString& v) {
  taskParams_ = v.trimmed();
  RepaintIfVisible();
}

void TUrlLab::SetFontActive(TFont* v) {
  if (v && v != fontActive_) fontActive_->Assign(*v);
  RepaintIfVisible();
}

void TUrlLab::SetCaption(const QString& v) {
  if (text() == v) return;
  setText(v);
  AdjustBounds();
}

// ---- Font -----------------------------------------------------------------------------------

void TUrlLab::FontChanged() {
  const TFontData& f = font_->Data();
  setFont(ToQFont(f));
  // The disabled look stays the toolkit's own.
  QPalette pal = palette();
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(g, QPalette::WindowText, ToQColor(f.Color));
    pal.setColor(g, QPalette::Text, ToQColor(f.Color));
  }
  setPalette(pal);
  AdjustBounds();
}

void TUrlLab::SetParentFont(bool v) {
  if (parentFont_ == v) return;
  parentFont_ = v;
  FollowParentFont();
}

void TUrlLab::FollowParentFont() {
  if (!parentFont_) return;
  followingParent_ = true;
  font_->SetData(InheritedFontData(parentWidget()));
  followingParent_ = false;
}

void TUrlLab::Loaded() {
  FollowParentFont();
  normalFont_ = font_->Data();
  AdjustBounds();
}

bool TUrlLab::event(QEvent* e) {
  if (e->type() == QEvent::ParentChange) {
    if (fontWatch_) fontWatch_->Rewatch();
    FollowParentFont();
  }
  return QLabel::event(e);
}

// ---- Appearance -----------------------------------------------------------------------------

void TUrlLab::ApplyAlignment() {
  Qt::Alignment h = alignment_ == taRightJustify ? Qt::AlignRight
                    : alignment_ == taCenter     ? Qt::AlignHCenter
                                                 : Qt::AlignLeft;
  Qt::Alignment v = layout_ == vaCenter ? Qt::AlignVCenter : layout_ == vaBottom ? Qt::AlignBottom : Qt::AlignTop;
  setAlignment(h | v);
}

void TUrlLab::SetAlignment(TAlignment v) {
  alignment_ = v;
  ApplyAlignment();
}

void TUrlLab::SetLayout(TVerticalAlignment v) {
  layout_ = v;
  ApplyAlignment();
}

void TUrlLab::SetAutoSize(bool v) {
  autoSize_ = v;
  AdjustBounds();
}

void TUrlLab::SetWordWrap(bool v) {
  setWordWrap(v);
  AdjustBounds();
}

void TUrlLab::AdjustBounds() {
  if (!autoSize_) return;
  QSize s = sizeHint();
  if (wordWrap()) s = QSize(width(), heightForWidth(width()) > 0 ? heightForWidth(width()) : s.height());
  const QRect g = geometry();
  const int left = alignment_ == taRightJustify ? g.right() + 1 - s.width() : g.left();
  if (s != g.size() || left != g.left()) setGeometry(left, g.top(), s.width(), s.height());
}

// Until a colour is set the label shows its parent's background (the parent's colour).
void TUrlLab::SetTransparent(bool v) {
  transparent_ = v;
  setAutoFillBackground(!transparent_ && colorSet_);
}

void TUrlLab::SetColor(TColor v) {
  color_ = v;
  colorSet_ = true;
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(v));
  setPalette(pal);
  setAutoFillBackground(!transparent_);
}

bool TUrlLab::Visible() const {
  return !(testAttribute(Qt::WA_WState_Hidden) && testAttribute(Qt::WA_WState_ExplicitShowHide));
}

// ---- Mouse ----------------------------------------------------------------------------------

void TUrlLab::enterEvent(QEnterEvent* e) {
  QLabel::enterEvent(e);
  if (OnMouseEnter) OnMouseEnter(this);
  if (isEnabled()) font_->Assign(*fontActive_);
}

void TUrlLab::leaveEvent(QEvent* e) {
  QLabel::leaveEvent(e);
  if (OnMouseLeave) OnMouseLeave(this);
  if (isEnabled()) font_->SetData(normalFont_);
}

QString TUrlLab::ErrorPrefix() const {
  return QStringLiteral("Component \"") + objectName() + QStringLiteral("\": ");
}

void TUrlLab::Click() {
  if (!url_.isEmpty()) {
    if (url_.toLower().startsWith(QLatin1String("http://"))) {
      // The application-starting cursor while the browser is asked; the result of the
      // call is not examined.
      const QString url = url_;
      QPointer<TUrlLab> self(this);
      const bool hadCursor = testAttribute(Qt::WA_SetCursor);
      const QCursor saved = cursor();
      setCursor(Qt::BusyCursor);
      QCoreApplication::processEvents();
      Shell::ShellExecute(QString(), url, QString(), QString(), Shell::SW_SHOWNORMAL);
      if (!self) return; // the label went away while events were processed
      if (hadCursor) setCursor(saved);
      else unsetCursor();
    } else {
      // The extension as the platform sees it: after the last dot of the last path part.
      const qsizetype sep = std::max({url_.lastIndexOf(QLatin1Char('/')), url_.lastIndexOf(QLatin1Char('\\')),
                                      url_.lastIndexOf(QLatin1Char(':'))});
      const qsizetype dot = url_.lastIndexOf(QLatin1Char('.'));
      const QString extension = dot > sep ? url_.mid(dot).toLower() : QString();
      if (extension != QLatin1String(".exe"))
        throw EVKTURLLabError(ErrorPrefix() + QStringLiteral("URL of URLLab is invalid"));
      const int result = Shell::ShellExecute(QStringLiteral("open"), url_, taskParams_, QString(), Shell::SW_SHOWNORMAL);
      if (result <= 32 && result != -1)
        throw EVKTURLLabError(ErrorPrefix() + QStringLiteral("Cannot start executable (errnum=%1)").arg(result));
    }
  }
  if (OnClick) OnClick(this);
}

void TUrlLab::mousePressEvent(QMouseEvent* e) { MousePressed(this, e); }

void TUrlLab::mouseReleaseEvent(QMouseEvent* e) {
  MouseReleased(this, e, [this] { Click(); });
}

void TUrlLab::mouseDoubleClickEvent(QMouseEvent* e) { MouseDoubleClicked(this, e); }

void TUrlLab::mouseMoveEvent(QMouseEvent* e) { MouseMoved(this, e); }
