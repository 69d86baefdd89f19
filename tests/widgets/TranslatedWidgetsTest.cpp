// Translation of the suite's widgets goes through their own published properties
// (Caption, Hint, Lines), not the toolkit properties they stand for: the widget's
// setter runs, and a text is translated once even when it again starts with "LX_".
#include "StdControls.h"
#include "TLexivaran2000.h"
#include "TNumLab.h"
#include "TUrlLab.h"
#include "Tables.h"

#include <gtest/gtest.h>

namespace {

void Load(TLexivaran2000& engine, const QByteArray& table) { TestTables::LoadTable(engine, table); }

} // namespace

TEST(TranslatedWidgets, AnAutoSizeHyperlinkLabelTakesTheSizeOfItsTranslation) {
  const QString text = QStringLiteral("The home page of the teaching simulations");
  TLexivaran2000 engine;
  Load(engine, "[homepage]=" + text.toUtf8() + "|$$");
  QWidget window;
  auto* lab = new TUrlLab(&window);
  lab->SetCaption("LX_HomePage");
  const QSize keySize = lab->size();
  auto* same = new TUrlLab(&window); // the size the translated text takes when set directly
  same->SetCaption(text);

  engine.TranslateComponent(&window);
  EXPECT_EQ(lab->Caption(), text);
  EXPECT_EQ(lab->size(), same->size());
  EXPECT_GT(lab->width(), keySize.width());
}

TEST(TranslatedWidgets, ATranslationThatStartsWithThePrefixIsNotTranslatedAgain) {
  TLexivaran2000 engine;
  Load(engine, "[a]=LX_b|$$[b]=twice|$$");
  QStringList looked;
  engine.TextHook = [&](TLexivaran2000*, const QString& key, QString&) { looked << key; };
  QWidget window;
  auto* lab = new TUrlLab(&window);
  lab->SetCaption("LX_a");
  lab->setToolTip("LX_a");
  auto* num = new TNumLab(&window);
  num->setToolTip("LX_a");
  auto* memo = new TMemo(&window);
  memo->SetLines({"LX_a", "plain"});

  engine.TranslateComponent(&window);
  EXPECT_EQ(lab->Caption(), "LX_b");
  EXPECT_EQ(lab->toolTip(), "LX_b");
  EXPECT_EQ(num->toolTip(), "LX_b");
  EXPECT_EQ(memo->Lines(), (QStringList{"LX_b", "plain"}));
  EXPECT_EQ(looked, (QStringList{"a", "a", "a", "a"})) << looked.join(',').toStdString();
}
