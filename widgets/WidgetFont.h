#pragma once
// Fonts of the display widgets. A widget whose ParentFont is true draws with the
// font of the nearest ancestor that has one: the "KalvoraFont" the stored-settings
// loader keeps on plain toolkit widgets (the window, panels), or the published TFont
// "Font" of one of our own components.
#include "Font.h"
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QWidget;

TFontData InheritedFontData(const QWidget* parent);

// Tells its owner when an ancestor's stored font changes, as it does while a window's
// settings are applied (the loader sets the window's font before its components' own).
class TParentFontWatch : public QObject {
public:
  TParentFontWatch(QWidget* owner, std::function<void()> changed);
  // Watches the owner's current ancestors (call after the owner's parent changed).
  void Rewatch();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* owner_;
  std::function<void()> changed_;
  std::vector<QPointer<QWidget>> watched_;
};
