#include "StoredSettings.h"

#include "Align.h"
#include "Colors.h"
#include "Control.h"
#include "Font.h"

#include <QFile>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPalette>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <map>

namespace {

// One value of a settings line, before it meets the type of its property.
struct Value {
  enum Kind { Text, List, Word } kind = Word;
  QString text;      // Text: the unquoted text; Word: the bare word
  QStringList items; // List: the items (quotes removed)
};

class LineError : public std::exception {
public:
  explicit LineError(QString m) : message(std::move(m)) {}
  QString message;
};

QString Unquote(const QString& s, int& pos) {
  // s[pos] is the opening quote; returns the text and leaves pos after the closing quote.
  QString out;
  for (++pos; pos < s.size(); ++pos) {
    QChar c = s[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\' && pos + 1 < s.size()) {
      QChar n = s[++pos];
      out += n == 'n' ? QChar('\n') : n;
    } else {
      out += c;
    }
  }
  throw LineError(QStringLiteral("unterminated text"));
}

Value ParseValue(const QString& raw) {
  QString s = raw.trimmed();
  if (s.isEmpty()) throw LineError(QStringLiteral("missing value"));
  Value v;
  int pos = 0;
  if (s[0] == '"') {
    v.kind = Value::Text;
    v.text = Unquote(s, pos);
    if (pos != s.size()) throw LineError(QStringLiteral("unexpected characters after the text"));
    return v;
  }
  if (s[0] == '[') {
    if (!s.endsWith(']')) throw LineError(QStringLiteral("list without closing ']'"));
    v.kind = Value::List;
    pos = 1;
    const int end = s.size() - 1;
    while (pos < end) {
      while (pos < end && (s[pos].isSpace() || s[pos] == ',')) ++pos;
      if (pos >= end) break;
      if (s[pos] == '"') {
        v.items << Unquote(s, pos);
      } else {
        int start = pos;
        while (pos < end && s[pos] != ',' && !s[pos].isSpace()) ++pos;
        v.items << s.mid(start, pos - start);
      }
    }
    return v;
  }
  v.text = s;
  return v;
}

qlonglong ToInteger(const Value& v) {
  if (v.kind != Value::Word) throw LineError(QStringLiteral("a number is expected"));
  if (auto color = ColorFromName(v.text)) return *color;
  bool ok = false;
  qlonglong n = v.text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                    ? v.text.mid(2).toLongLong(&ok, 16)
                    : v.text.toLongLong(&ok, 10);
  if (!ok) throw LineError(QStringLiteral("'%1' is not a whole number").arg(v.text));
  return n;
}

bool ToBool(const Value& v) {
  if (v.kind == Value::Word && v.text == QLatin1String("true")) return true;
  if (v.kind == Value::Word && v.text == QLatin1String("false")) return false;
  throw LineError(QStringLiteral("true or false is expected"));
}

QString ToText(const Value& v) {
  if (v.kind != Value::Text) throw LineError(QStringLiteral("a quoted text is expected"));
  return v.text;
}

QVariant ConvertFor(const QMetaProperty& prop, const Value& v) {
  if (prop.isFlagType()) {
    QStringList keys = v.kind == Value::List ? v.items : QStringList{v.text};
    int bits = 0;
    for (const QString& key : keys) {
      bool ok = false;
      int k = prop.enumerator().keyToValue(key.toLatin1().constData(), &ok);
      if (!ok) throw LineError(QStringLiteral("'%1' is not a value of %2").arg(key, prop.enumerator().name()));
      bits |= k;
    }
    return bits;
  }
  if (prop.isEnumType()) {
    if (v.kind != Value::Word) throw LineError(QStringLiteral("an enumeration value is expected"));
    bool ok = false;
    int k = prop.enumerator().keyToValue(v.text.toLatin1().constData(), &ok);
    if (!ok) throw LineError(QStringLiteral("'%1' is not a value of %2").arg(v.text, prop.enumerator().name()));
    return k;
  }
  switch (prop.metaType().id()) {
  case QMetaType::QString:
    return ToText(v);
  case QMetaType::QStringList:
    if (v.kind == Value::Text) return QStringList{v.text};
    if (v.kind != Value::List) throw LineError(QStringLiteral("a list of texts is expected"));
    return v.items;
  case QMetaType::Bool:
    return ToBool(v);
  case QMetaType::Double:
  case QMetaType::Float: {
    bool ok = false;
    double d = v.kind == Value::Word ? v.text.toDouble(&ok) : 0.0;
    if (!ok) throw LineError(QStringLiteral("a number is expected"));
    return d;
  }
  case QMetaType::Int:
  case QMetaType::Short:
  case QMetaType::SChar: {
    qlonglong n = ToInteger(v);
    if (n < INT_MIN || n > INT_MAX) throw LineError(QStringLiteral("number out of range"));
    return int(n);
  }
  case QMetaType::UInt:
  case QMetaType::UShort:
  case QMetaType::UChar: {
    qlonglong n = ToInteger(v);
    if (n < 0 || n > qlonglong(UINT_MAX)) throw LineError(QStringLiteral("number out of range"));
    return uint(n);
  }
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
    return ToInteger(v);
  default:
    if (prop.metaType().flags() & QMetaType::PointerToQObject)
      throw LineError(QStringLiteral("is an object; set its properties one by one"));
    throw LineError(QStringLiteral("properties of type %1 cannot be stored").arg(prop.typeName()));
  }
}

// Properties that every toolkit widget takes, as the platform's controls publish them.
bool SetWidgetProperty(QWidget* w, const QString& name, const Value& v) {
  auto bounds = [w](int l, int t, int wd, int ht) {
    // A window keeps the place the toolkit gives it (centred on its parent or the
    // screen) unless its position is set explicitly.
    if (w->isWindow()) {
      if (QPoint(l, t) != w->pos()) w->move(l, t);
      w->resize(wd, ht);
    } else if (auto* control = dynamic_cast<TCustomControl*>(w))
      control->SetBounds(l, t, wd, ht);
    else
      w->setGeometry(l, t, wd, ht);
  };
  const QRect g = w->geometry();
  if (name == QLatin1String("Left")) bounds(int(ToInteger(v)), g.y(), g.width(), g.height());
  else if (name == QLatin1String("Top")) bounds(g.x(), int(ToInteger(v)), g.width(), g.height());
  else if (name == QLatin1String("Width") || name == QLatin1String("ClientWidth"))
    bounds(g.x(), g.y(), int(ToInteger(v)), g.height());
  else if (name == QLatin1String("Height") || name == QLatin1String("ClientHeight"))
    bounds(g.x(), g.y(), g.width(), int(ToInteger(v)));
  else if (name == QLatin1String("TabOrder")) w->setProperty("TabOrder", int(ToInteger(v)));
  else if (name == QLatin1String("Align")) {
    bool ok = false;
    int a = QMetaEnum::fromType<TAlign>().keyToValue(v.text.toLatin1().constData(), &ok);
    if (!ok || v.kind != Value::Word) throw LineError(QStringLiteral("'%1' is not an alignment").arg(v.text));
    SetAlign(w, TAlign(a));
  } else if (name == QLatin1String("Color")) {
    QPalette pal = w->palette();
    const QColor c = ToQColor(TColor(ToInteger(v)));
    pal.setColor(QPalette::Window, c);
    pal.setColor(QPalette::Base, c);
    pal.setColor(QPalette::Button, c);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
  } else if (name.startsWith(QLatin1String("Font."))) {
    TFontData f = w->property("KalvoraFont").value<TFontData>();
    if (!w->property("KalvoraFont").isValid()) f = TFontData{};
    const QString part = name.mid(5);
    if (part == QLatin1String("Name")) f.Name = ToText(v);
    else if (part == QLatin1String("Height")) f.Height = int(ToInteger(v));
    else if (part == QLatin1String("Color")) f.Color = TColor(ToInteger(v));
    else if (part == QLatin1String("Style")) {
      const QMetaEnum e = QMetaEnum::fromType<TFontStyles>();
      QStringList keys = v.kind == Value::List ? v.items : QStringList{v.text};
      int bits = 0;
      for (const QString& k : keys) {
        bool ok = false;
        bits |= e.keyToValue(k.toLatin1().constData(), &ok);
        if (!ok) throw LineError(QStringLiteral("'%1' is not a font style").arg(k));
      }
      f.Style = TFontStyles(bits);
    } else return false;
    w->setProperty("KalvoraFont", QVariant::fromValue(f));
    w->setFont(ToQFont(f));
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, ToQColor(f.Color));
    pal.setColor(QPalette::Text, ToQColor(f.Color));
    pal.setColor(QPalette::ButtonText, ToQColor(f.Color));
    w->setPalette(pal);
  } else return false;
  return true;
}

void ApplyLine(QObject* component, const QString& path, const Value& v) {
  const QStringList parts = path.split('.');
  QObject* target = component;
  for (int i = 0; i + 1 < parts.size(); ++i) {
    const QMetaObject* mo = target->metaObject();
    int idx = mo->indexOfProperty(parts[i].toLatin1().constData());
    if (idx < 0) {
      auto* w = qobject_cast<QWidget*>(target);
      if (w && SetWidgetProperty(w, parts.mid(i).join('.'), v)) return;
      throw LineError(QStringLiteral("%1 has no property '%2'").arg(mo->className(), parts[i]));
    }
    QObject* sub = mo->property(idx).read(target).value<QObject*>();
    if (!sub) throw LineError(QStringLiteral("'%1' is not an object").arg(parts[i]));
    target = sub;
  }
  const QString& name = parts.last();
  const QMetaObject* mo = target->metaObject();
  int idx = mo->indexOfProperty(name.toLatin1().constData());
  if (idx < 0) {
    auto* w = qobject_cast<QWidget*>(target);
    if (w && SetWidgetProperty(w, name, v)) return;
    throw LineError(QStringLiteral("%1 has no property '%2'").arg(mo->className(), name));
  }
  QMetaProperty prop = mo->property(idx);
  if (prop.metaType().flags() & QMetaType::PointerToQObject)
    throw LineError(QStringLiteral("is an object; set its properties one by one"));
  if (!prop.isWritable()) throw LineError(QStringLiteral("'%1' is read-only").arg(name));
  const QVariant value = ConvertFor(prop, v);
  if (!prop.write(target, value)) throw LineError(QStringLiteral("the value was not accepted"));
}

void ForEachComponent(QObject* root, const std::function<void(QObject*)>& f) {
  f(root);
  for (QObject* child : root->children()) ForEachComponent(child, f);
}

void ApplyTabOrders(QObject* root) {
  std::map<QWidget*, std::vector<std::pair<int, QWidget*>>> byParent;
  ForEachComponent(root, [&](QObject* o) {
    auto* w = qobject_cast<QWidget*>(o);
    if (w && w->parentWidget() && w->property("TabOrder").isValid())
      byParent[w->parentWidget()].push_back({w->property("TabOrder").toInt(), w});
  });
  for (auto& [parent, list] : byParent) {
    std::stable_sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < list.size(); ++i) QWidget::setTabOrder(list[i - 1].second, list[i].second);
  }
}

QObject* FindComponent(QObject* root, const QString& name) {
  if (root->objectName() == name) return root;
  return root->findChild<QObject*>(name);
}

} // namespace

void ApplyStoredSettings(QObject* root, const QString& text, const QString& fileName) {
  ForEachComponent(root, [](QObject* o) {
    if (o->metaObject()->indexOfMethod("SetLoading(bool)") >= 0)
      QMetaObject::invokeMethod(o, "SetLoading", Qt::DirectConnection, Q_ARG(bool, true));
  });
  QObject* component = nullptr;
  QString componentName;
  const QStringList lines = text.split('\n');
  for (int n = 0; n < lines.size(); ++n) {
    const QString line = lines[n].trimmed();
    const QString where = QStringLiteral("%1:%2").arg(fileName).arg(n + 1);
    if (line.isEmpty() || line.startsWith('#')) continue;
    if (line.startsWith('[')) {
      if (!line.endsWith(']'))
        throw EStoredSettingsError(where + QStringLiteral(": section without closing ']'"));
      componentName = line.mid(1, line.size() - 2).trimmed();
      component = FindComponent(root, componentName);
      if (!component)
        throw EStoredSettingsError(where + QStringLiteral(": no component named '%1'").arg(componentName));
      continue;
    }
    const int eq = line.indexOf('=');
    const QString path = eq < 0 ? line : line.left(eq).trimmed();
    if (eq < 0 || path.isEmpty())
      throw EStoredSettingsError(where + QStringLiteral(": expected 'Property = value'"));
    if (!component)
      throw EStoredSettingsError(where + QStringLiteral(": %1: no [component] before it").arg(path));
    try {
      ApplyLine(component, path, ParseValue(line.mid(eq + 1)));
    } catch (const LineError& e) {
      throw EStoredSettingsError(where + QStringLiteral(": %1.%2: %3").arg(componentName, path, e.message));
    }
  }
  ApplyTabOrders(root);
  ForEachComponent(root, [](QObject* o) {
    if (o->metaObject()->indexOfMethod("Loaded()") >= 0)
      QMetaObject::invokeMethod(o, "Loaded", Qt::DirectConnection);
  });
}

void LoadStoredSettings(QObject* root, const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EStoredSettingsError(QStringLiteral("%1: cannot be read: %2").arg(fileName, file.errorString()));
  ApplyStoredSettings(root, QString::fromUtf8(file.readAll()), fileName);
}
