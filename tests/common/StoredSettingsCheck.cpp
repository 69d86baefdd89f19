#include "StoredSettingsCheck.h"

#include "Align.h"
#include "Colors.h"
#include "Font.h"

#include <QFile>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPalette>
#include <QRegularExpression>
#include <QWidget>

namespace {

// A settings value as written: a quoted text, a [list] or a bare word.
struct Written {
  enum Kind { Text, List, Word } kind = Word;
  QString text;
  QStringList items;
};

// The text of a quoted value without its escapes (\" \\ \n).
QString Unescape(QString s) {
  for (qsizetype i = s.indexOf('\\'); i >= 0 && i + 1 < s.size(); i = s.indexOf('\\', i + 1))
    s.replace(i, 2, s[i + 1] == 'n' ? QStringLiteral("\n") : QString(s[i + 1]));
  return s;
}

// Read with a pattern of its own rather than the program's reader, so that the
// reading back does not share the faults it is to find.
Written Parse(const QString& raw) {
  static const QRegularExpression item(QStringLiteral(R"re("((?:[^"\\]|\\.)*)"|([^,\s\[\]"]+))re"));
  const QString s = raw.trimmed();
  Written w;
  w.kind = s.startsWith('[') ? Written::List : s.startsWith('"') ? Written::Text : Written::Word;
  for (const QRegularExpressionMatch& m : item.globalMatch(s))
    w.items << (m.capturedLength(1) || m.captured(0).startsWith('"') ? Unescape(m.captured(1)) : m.captured(2));
  w.text = w.kind == Written::Text ? w.items.value(0) : s;
  return w;
}

qlonglong Integer(const QString& word) {
  if (auto color = ColorFromName(word)) return *color;
  return word.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? word.mid(2).toLongLong(nullptr, 16)
                                                                    : word.toLongLong();
}

class Checker {
public:
  explicit Checker(bool translated) : translated_(translated) {}

  // The value the window holds for path as text, and the value the file gives in the same form.
  void Check(QObject* component, const QString& path, const Written& w, QString& holds, QString& says) const {
    const QStringList parts = path.split('.');
    QObject* target = component;
    for (int i = 0; i + 1 < parts.size(); ++i) {
      const int idx = target->metaObject()->indexOfProperty(parts[i].toLatin1().constData());
      if (idx < 0) return Widget(target, parts.mid(i).join('.'), w, holds, says);
      target = target->metaObject()->property(idx).read(target).value<QObject*>();
      if (!target) {
        holds = QStringLiteral("no object %1").arg(parts[i]);
        return;
      }
    }
    const int idx = target->metaObject()->indexOfProperty(parts.last().toLatin1().constData());
    if (idx < 0) return Widget(target, parts.last(), w, holds, says);
    Property(target->metaObject()->property(idx), target, w, holds, says);
  }

private:
  QString Shown(const QString& text) const {
    return translated_ && text.startsWith(QLatin1String("LX_")) ? text.mid(3) : text;
  }

  void Property(const QMetaProperty& prop, QObject* target, const Written& w, QString& holds, QString& says) const {
    const QVariant value = prop.read(target);
    if (prop.isFlagType() || prop.isEnumType()) {
      const QMetaEnum e = prop.enumerator();
      int bits = 0;
      for (const QString& key : w.kind == Written::List ? w.items : QStringList{w.text})
        bits |= e.keyToValue(key.toLatin1().constData());
      says = QString::fromLatin1(prop.isFlagType() ? e.valueToKeys(bits) : QByteArray(e.valueToKey(bits)));
      const int held = value.toInt();
      holds = QString::fromLatin1(prop.isFlagType() ? e.valueToKeys(held) : QByteArray(e.valueToKey(held)));
      return;
    }
    switch (prop.metaType().id()) {
    case QMetaType::QString:
      says = Shown(w.text);
      holds = value.toString();
      return;
    case QMetaType::QStringList: {
      QStringList items = w.kind == Written::List ? w.items : QStringList{w.text};
      for (QString& item : items) item = Shown(item);
      says = items.join(QLatin1String(" | "));
      holds = value.toStringList().join(QLatin1String(" | "));
      return;
    }
    case QMetaType::Bool:
      says = w.text;
      holds = value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
      return;
    case QMetaType::Double:
    case QMetaType::Float:
      says = QString::number(w.text.toDouble(), 'g', 17);
      holds = QString::number(value.toDouble(), 'g', 17);
      return;
    default:
      says = QString::number(Integer(w.text));
      holds = QString::number(value.toLongLong());
    }
  }

  // The properties every toolkit widget takes in a settings file.
  void Widget(QObject* target, const QString& name, const Written& w, QString& holds, QString& says) const {
    auto* widget = qobject_cast<QWidget*>(target);
    if (!widget) {
      holds = QStringLiteral("no property");
      return;
    }
    const QRect g = widget->geometry();
    const TFontData font = widget->property("KalvoraFont").value<TFontData>();
    says = w.text;
    if (name == QLatin1String("Left")) holds = QString::number(g.x());
    else if (name == QLatin1String("Top")) holds = QString::number(g.y());
    else if (name == QLatin1String("Width") || name == QLatin1String("ClientWidth")) holds = QString::number(g.width());
    else if (name == QLatin1String("Height") || name == QLatin1String("ClientHeight"))
      holds = QString::number(g.height());
    else if (name == QLatin1String("TabOrder")) holds = widget->property("TabOrder").toString();
    else if (name == QLatin1String("Align"))
      holds = QString::fromLatin1(QMetaEnum::fromType<TAlign>().valueToKey(int(GetAlign(widget))));
    else if (name == QLatin1String("Color")) {
      says = ToQColor(TColor(Integer(w.text))).name();
      holds = widget->palette().color(QPalette::Window).name();
    } else if (name == QLatin1String("Font.Name")) holds = font.Name;
    else if (name == QLatin1String("Font.Height")) holds = QString::number(font.Height);
    else if (name == QLatin1String("Font.Color")) {
      says = QString::number(Integer(w.text));
      holds = QString::number(font.Color);
    } else if (name == QLatin1String("Font.Style")) {
      const QMetaEnum e = QMetaEnum::fromType<TFontStyles>();
      int bits = 0;
      for (const QString& key : w.kind == Written::List ? w.items : QStringList{w.text})
        bits |= e.keyToValue(key.toLatin1().constData());
      says = QString::fromLatin1(e.valueToKeys(bits));
      holds = QString::fromLatin1(e.valueToKeys(font.Style.toInt()));
    } else holds = QStringLiteral("no property");
  }

  bool translated_;
};

} // namespace

TSettingsReadBack ReadBackStoredSettings(QObject* window, const QString& fileName, bool translatedKeys) {
  TSettingsReadBack result;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    result.mismatches << fileName + QStringLiteral(": cannot be read");
    return result;
  }
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  const Checker checker(translatedKeys);
  QObject* component = nullptr;
  QString componentName;
  for (int n = 0; n < lines.size(); ++n) {
    const QString line = lines[n].trimmed();
    const QString where = QStringLiteral("%1:%2: ").arg(fileName).arg(n + 1);
    if (line.isEmpty() || line.startsWith('#')) continue;
    if (line.startsWith('[')) {
      componentName = line.mid(1, line.size() - 2).trimmed();
      component = window->objectName() == componentName ? window : window->findChild<QObject*>(componentName);
      if (!component) result.mismatches << where + QStringLiteral("no component ") + componentName;
      continue;
    }
    const int eq = line.indexOf('=');
    if (!component || eq < 0) continue;
    const QString path = line.left(eq).trimmed();
    QString holds, says;
    checker.Check(component, path, Parse(line.mid(eq + 1)), holds, says);
    ++result.lines;
    if (holds != says)
      result.mismatches << where + QStringLiteral("%1.%2: the file says %3, the window has %4")
                                       .arg(componentName, path, says, holds);
  }
  return result;
}
