#pragma once
// The translation engine: a table of keys and texts read from ".itl" files,
// looked up by key, and applied to every "LX_" placeholder of a window.
//
// An ".itl" file is a sequence of records "[" key "]=" text "|$$". Keys are kept
// lower-cased with white space tidied; in texts, backslash-n is a line break,
// "<%n%>" the n-th argument of a lookup and "<%APPNAME%>" the application name.
// Files are read as UTF-8 when they start with its byte-order mark or decode as
// UTF-8 throughout, else in the desktop's 8-bit code page, Windows-1252.
#include <QIODevice>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <functional>

class TLexivaran2000 {
public:
  // How the last table was read; the collected file is written the same way.
  enum class TTableEncoding { Utf8, Utf8WithBom, Windows1252 };

  // Called after every successful lookup; may change the text.
  using TTextHook = std::function<void(TLexivaran2000* engine, const QString& key, QString& text)>;
  // Called before an object's properties are translated; clearing the flag skips it.
  using TObjectHook = std::function<void(TLexivaran2000* engine, QObject* object, bool& translate)>;

  explicit TLexivaran2000(const QString& applicationName = QString());
  // With AutoCreateItlFile, writes the collected-keys file (see WriteCollectedFile);
  // an error while writing it is shown to the user.
  ~TLexivaran2000();
  TLexivaran2000(const TLexivaran2000&) = delete;
  TLexivaran2000& operator=(const TLexivaran2000&) = delete;

  // Replaces the table by the records of the stream, read from its start.
  void LoadFromStream(QIODevice& stream);
  // The text of a key (the key itself when it has no entry), with "<%n%>" replaced by args[n-1].
  QString Translate(const QString& key, const QStringList& args = {});
  // Translates root's published text properties that start with the key prefix
  // ("LX_", case-sensitive; objectName is never changed), its string lists, its
  // collections and its scale property objects, then every object root owns,
  // depth first. A class that publishes a toolkit property under a name of its
  // own lists the toolkit's name in Q_CLASSINFO("ToolkitDuplicates", "text toolTip");
  // such a property is written only through the class's own one, so that its
  // setter runs and a text is translated once.
  void TranslateComponent(QObject* root);

  // Collect keys that have no entry and write a table file at destruction.
  bool AutoCreateItlFile = false;
  TTextHook TextHook;
  TObjectHook ObjectHook;

  int Count() const { return int(keys_.size()); }
  const QStringList& Keys() const { return keys_; }
  const QStringList& Texts() const { return texts_; }
  // Table lines collected for keys without an entry.
  const QStringList& Collected() const { return collected_; }
  QString KeyPrefix() const { return keyPrefix_; }
  // UTF-8 until a table has been read.
  TTableEncoding TableEncoding() const { return encoding_; }

  // The program file whose name the collected file takes (default: this program).
  void SetProgramFileName(const QString& fileName) { programFileName_ = fileName; }
  // The collected file: the program's file name (no directory, so it lands in
  // the current directory) with the extension ".itl".
  QString CollectedFileName() const;
  // Writes the collected lines followed by every table entry, one per line,
  // each ending in CR LF, in the encoding the table was read in. The file is
  // replaced whole or not at all: throws Exception when it cannot be written,
  // and an existing file then stays as it was.
  void WriteCollectedFile();

private:
  void TranslateObject(QObject* object, QSet<QObject*>& done);
  QString TranslateValue(const QString& value);

  QString applicationName_;
  QString programFileName_;
  QStringList keys_, texts_;
  QStringList collected_;
  TTableEncoding encoding_ = TTableEncoding::Utf8;
  const QString keyPrefix_ = QStringLiteral("LX_");
};

// The file name with its extension replaced by ".itl" (kalvora -> kalvora.itl,
// dir/prog.bin -> dir/prog.itl).
QString ItlFileNameFor(const QString& fileName);
