#include "Golden.h"

#include "Pixels.h"

#include <QDir>
#include <QFileInfo>

namespace TestGolden {

namespace {

QString OutputFolder() { return QStringLiteral(KALVORA_TEST_OUTPUT "/golden-mismatch"); }

// "<Suite.Test>-<golden name>", so that every test's pictures keep apart.
QString OutputName(const QString& goldenFile) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString prefix = test ? QStringLiteral("%1.%2-").arg(QLatin1String(test->test_suite_name()),
                                                             QLatin1String(test->name()))
                              : QString();
  return prefix + QFileInfo(goldenFile).completeBaseName();
}

// The golden image faded to a quarter of its contrast, with every differing pixel red.
QImage DifferencePicture(const QImage& actual, const QImage& golden) {
  const QSize size = actual.size().expandedTo(golden.size());
  QImage diff(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) {
      const bool inA = actual.rect().contains(x, y), inG = golden.rect().contains(x, y);
      if (inA && inG && actual.pixel(x, y) == golden.pixel(x, y)) {
        const QRgb p = golden.pixel(x, y);
        diff.setPixel(x, y, qRgb(191 + qRed(p) / 4, 191 + qGreen(p) / 4, 191 + qBlue(p) / 4));
      } else {
        diff.setPixel(x, y, qRgb(255, 0, 0));
      }
    }
  return diff;
}

::testing::AssertionResult Update(const QImage& actual, const QImage& golden, const QString& goldenFile) {
  const bool same = golden == actual;
  if (!same && !actual.save(goldenFile, "PNG"))
    return ::testing::AssertionFailure() << "cannot write the golden image " << goldenFile.toStdString();
  return ::testing::AssertionFailure()
         << "KALVORA_UPDATE_GOLDEN is set: " << goldenFile.toStdString()
         << (same ? " is unchanged" : " was rewritten; look at it (git diff) before committing it")
         << "; run the tests again without KALVORA_UPDATE_GOLDEN";
}

} // namespace

bool Updating() { return qEnvironmentVariable("KALVORA_UPDATE_GOLDEN") == QLatin1String("1"); }

QImage Load(const QString& goldenFile) {
  const QImage image(goldenFile);
  return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

::testing::AssertionResult Matches(const QImage& picture, const QString& goldenFile) {
  const QImage actual = picture.convertToFormat(QImage::Format_RGB32);
  const QImage golden = Load(goldenFile);
  if (Updating()) return Update(actual, golden, goldenFile);
  if (!golden.isNull() && golden == actual) return ::testing::AssertionSuccess();
  const TestPixels::TPixelDifference d = TestPixels::ComparePixels(actual, golden);
  if (!golden.isNull() && d.count == 0) return ::testing::AssertionSuccess();

  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  if (golden.isNull()) {
    failure << "no golden image " << goldenFile.toStdString() << ";";
  } else {
    failure << "the picture differs from the golden image " << goldenFile.toStdString() << ": ";
    if (!d.sameSize)
      failure << "its size is " << actual.width() << "x" << actual.height() << ", the golden image's "
              << golden.width() << "x" << golden.height() << "; ";
    failure << d.count << " pixels differ, the first at " << d.first.x() << "," << d.first.y() << ", in rows "
            << d.rows.first() << " to " << d.rows.last() << ".";
  }
  return failure << Explain(actual, goldenFile)
                 << "\n  If the new picture is intended: KALVORA_UPDATE_GOLDEN=1 ./tools/test, then review and "
                    "commit the golden image (tests/app/golden/README.md).";
}

std::string Explain(const QImage& picture, const QString& goldenFile) {
  const QImage actual = picture.convertToFormat(QImage::Format_RGB32);
  const QImage golden = Load(goldenFile);
  QDir().mkpath(OutputFolder());
  const QString base = QDir(OutputFolder()).filePath(OutputName(goldenFile));
  const QString actualFile = base + QStringLiteral(".actual.png"), diffFile = base + QStringLiteral(".diff.png");
  actual.save(actualFile, "PNG");
  std::string text = "\n  drawn:      " + actualFile.toStdString();
  if (!golden.isNull() && DifferencePicture(actual, golden).save(diffFile, "PNG"))
    text += "\n  difference: " + diffFile.toStdString() + " (against " + goldenFile.toStdString() + ")";
  return text;
}

} // namespace TestGolden
