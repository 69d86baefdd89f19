#pragma once
// Standard controls whose published properties differ from the toolkit's own.
#include <QPlainTextEdit>
#include <QStringList>

// A multi-line text box whose text is published as a list of lines.
class TMemo : public QPlainTextEdit {
  Q_OBJECT
  Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
  // The toolkit's plainText is published as Lines.
  Q_CLASSINFO("ToolkitDuplicates", "plainText")
public:
  using QPlainTextEdit::QPlainTextEdit;
  QStringList Lines() const { return toPlainText().split('\n'); }
  void SetLines(const QStringList& lines) { setPlainText(lines.join('\n')); }
};
