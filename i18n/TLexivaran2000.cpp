#include "TLexivaran2000.h"

#include "Exceptions.h"
#include "MessageBox.h"
#include "SaveFile.h"
#include "Windows1252.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaProperty>
#include <QSequentialIterable>
#include <QStringDecoder>

namespace {

using TTableEncoding = TLexivaran2000::TTableEncoding;

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

// A byte-order mark makes a table UTF-8 (bad sequences become replacement
// characters); without one it is UTF-8 only when it decodes as UTF-8 throughout.
QString DecodeTable(const QByteArray& data, TTableEncoding& encoding) {
  const bool bom = data.startsWith(kUtf8Bom);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(QByteArrayView(data).sliced(bom ? kUtf8Bom.size() : 0));
  if (bom) {
    encoding = TTableEncoding::Utf8WithBom;
  } else if (utf8.hasError()) {
    encoding = TTableEncoding::Windows1252;
    text = DecodeWindows1252(data);
  } else {
    encoding = TTableEncoding::Utf8;
  }
  return text;
}

QByteArray EncodeTable(const QStringList& lines, TTableEncoding encoding) {
  QByteArray data = encoding == TTableEncoding::Utf8WithBom ? kUtf8Bom.toByteArray() : QByteArray();
  for (const QString& line : lines) {
    data += encoding == TTableEncoding::Windows1252 ? EncodeWindows1252(line) : line.toUtf8();
    data += "\r\n";
  }
  return data;
}

// Copy of the platform's strings: 1-based index (clamped to 1), count <= 0 gives "".
QString Copy(const QString& s, qsizetype index, qsizetype count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > s.size()) return QString();
  return s.mid(index - 1, count);
}

QString NormaliseKey(QString key) {
  key = key.toLower();
  for (QChar& c : key)
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t')) c = QLatin1Char(' ');
  QString out;
  out.reserve(key.size());
  for (QChar c : key) {
    if (c == QLatin1Char(' ') && (out.isEmpty() || out.back() == QLatin1Char(' '))) continue;
    out += c;
  }
  return out;
}

// The toolkit properties the class and its bases publish under names of their own.
QSet<QByteArray> ToolkitDuplicates(const QMetaObject* mo) {
  QSet<QByteArray> names;
  for (int i = 0; i < mo->classInfoCount(); ++i) {
    const QMetaClassInfo info = mo->classInfo(i);
    if (qstrcmp(info.name(), "ToolkitDuplicates") != 0) continue;
    for (const QByteArray& name : QByteArray(info.value()).split(' '))
      if (!name.isEmpty()) names.insert(name);
  }
  return names;
}

bool InheritsClass(const QMetaObject* mo, const char* className) {
  for (; mo; mo = mo->superClass())
    if (qstrcmp(mo->className(), className) == 0) return true;
  return false;
}

} // namespace

QString ItlFileNameFor(const QString& fileName) {
  const qsizetype slash = std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot > slash + 1 ? fileName.left(dot) : fileName;
  return stem + QStringLiteral(".itl");
}

TLexivaran2000::TLexivaran2000(const QString& applicationName) : applicationName_(applicationName) {}

TLexivaran2000::~TLexivaran2000() {
  if (!AutoCreateItlFile) return;
  try {
    WriteCollectedFile();
  } catch (const Exception& e) {
    ShowError(e.Message());
  }
}

void TLexivaran2000::LoadFromStream(QIODevice& stream) {
  keys_.clear();
  texts_.clear();
  encoding_ = TTableEncoding::Utf8;
  if (!stream.isOpen() && !stream.open(QIODevice::ReadOnly)) return;
  if (!stream.isSequential()) stream.seek(0);
  const QString data = DecodeTable(stream.readAll(), encoding_);
  static const QString delimiter = QStringLiteral("|$$");
  qsizetype pos = 0;
  for (;;) {
    const qsizetype end = data.indexOf(delimiter, pos);
    if (end < 0) break;
    const QString record = data.mid(pos, end + delimiter.size() - pos);
    pos = end + delimiter.size();
    // Positions as the records were designed: 1-based, 0 for "not found".
    const qsizetype a = record.indexOf(QLatin1Char('[')) + 1;
    const qsizetype b = record.indexOf(QLatin1String("]=")) + 1;
    const qsizetype c = record.indexOf(delimiter) + 1;
    QString key = NormaliseKey(Copy(record, a + 1, b - a - 1));
    QString text = Copy(record, b + 2, c - b - 2);
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1String("\\n"), QLatin1String("\r\n"));
    text.replace(QLatin1String("<%APPNAME%>"), applicationName_, Qt::CaseInsensitive);
    keys_ << key;
    texts_ << text;
  }
}

QString TLexivaran2000::Translate(const QString& key, const QStringList& args) {
  const qsizetype i = keys_.indexOf(key.toLower());
  QString result = i >= 0 ? texts_[i] : key;
  for (qsizetype j = 1; j <= args.size(); ++j) {
    const QString placeholder = QStringLiteral("<%") + QString::number(j) + QStringLiteral("%>");
    const QString& arg = args[j - 1];
    qsizetype at = 0;
    while ((at = result.indexOf(placeholder, at, Qt::CaseInsensitive)) >= 0) {
      result.replace(at, placeholder.size(), arg);
      at += arg.size();
    }
  }
  if (i >= 0) {
    if (TextHook) TextHook(this, key, result);
  } else if (AutoCreateItlFile) {
    const QString line = QLatin1Char('[') + key + QStringLiteral("]=") + key + QStringLiteral("|$$");
    if (!collected_.contains(line, Qt::CaseInsensitive)) collected_ << line;
  }
  return result;
}

QString TLexivaran2000::TranslateValue(const QString& value) {
  return value.startsWith(keyPrefix_) ? Translate(value.mid(keyPrefix_.size())) : value;
}

void TLexivaran2000::TranslateObject(QObject* object, QSet<QObject*>& done) {
  // Objects reachable twice (a scale property object that is also a child) are translated once.
  if (!object || done.contains(object)) return;
  done.insert(object);
  bool translate = true;
  if (ObjectHook) ObjectHook(this, object, translate);
  if (!translate) return;
  const QMetaObject* mo = object->metaObject();
  const QSet<QByteArray> duplicates = ToolkitDuplicates(mo);
  for (int i = 0; i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    if (!p.isReadable() || qstrcmp(p.name(), "objectName") == 0 || qstrcmp(p.name(), "Name") == 0) continue;
    if (duplicates.contains(p.name())) continue;
    const QMetaType type = p.metaType();
    if (type.id() == QMetaType::QString) {
      const QString v = p.read(object).toString();
      if (p.isWritable() && v.startsWith(keyPrefix_)) p.write(object, TranslateValue(v));
    } else if (type.id() == QMetaType::QStringList) {
      QStringList lines = p.read(object).toStringList();
      bool changed = false;
      for (qsizetype k = lines.size() - 1; k >= 0; --k) {
        if (!lines[k].startsWith(keyPrefix_)) continue;
        lines[k] = TranslateValue(lines[k]);
        changed = true;
      }
      if (changed && p.isWritable()) p.write(object, lines);
    } else if (type.flags() & QMetaType::PointerToQObject) {
      QObject* sub = p.read(object).value<QObject*>();
      if (sub && InheritsClass(sub->metaObject(), "TScaleProps")) TranslateObject(sub, done);
    } else if (QMetaType::canView(type, QMetaType::fromType<QSequentialIterable>())) {
      // A collection: a list of objects, each translated as an object.
      const QVariant value = p.read(object);
      const QSequentialIterable items = value.value<QSequentialIterable>();
      QList<QObject*> objects;
      for (const QVariant& item : items)
        if (item.metaType().flags() & QMetaType::PointerToQObject) objects << item.value<QObject*>();
      for (QObject* item : objects) TranslateObject(item, done);
    }
  }
}

void TLexivaran2000::TranslateComponent(QObject* root) {
  QSet<QObject*> done;
  std::function<void(QObject*)> walk = [&](QObject* o) {
    TranslateObject(o, done);
    const QObjectList children = o->children(); // a handler may add or remove children
    for (QObject* child : children) walk(child);
  };
  if (root) walk(root);
}

QString TLexivaran2000::CollectedFileName() const {
  QString program = programFileName_;
  if (program.isEmpty() && QCoreApplication::instance()) program = QCoreApplication::applicationFilePath();
  return ItlFileNameFor(QFileInfo(program).fileName());
}

void TLexivaran2000::WriteCollectedFile() {
  QStringList lines = collected_;
  for (qsizetype i = 0; i < keys_.size(); ++i)
    lines << QLatin1Char('[') + keys_[i] + QStringLiteral("]=") + texts_[i] + QStringLiteral("|$$");
  const QByteArray data = EncodeTable(lines, encoding_);
  const QString name = CollectedFileName();
  // Written beside the old file and put in its place only when complete; never
  // over a folder, device, named pipe or socket of that name.
  TSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly))
    throw Exception(QStringLiteral("Cannot create file \"%1\". %2").arg(name, file.errorString()));
  if (file.write(data) != data.size() || !file.commit())
    throw Exception(QStringLiteral("Error writing file \"%1\". %2").arg(name, file.errorString()));
}
