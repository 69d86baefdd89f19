#pragma once
// Golden images: stored pictures a test's result must equal to the pixel.
//
// On a mismatch the actual picture and a difference picture (the golden image
// faded, the differing pixels red) are written to the build folder's
// golden-mismatch/ as <Suite.Test>-<name>.actual.png and .diff.png, and the
// failure names them with the count and place of the differences.
//
// A golden image is rewritten only when KALVORA_UPDATE_GOLDEN=1 is set (for
// example `KALVORA_UPDATE_GOLDEN=1 ./tools/test`); every golden comparison of
// such a run fails, so that no run that blesses a picture can pass.
#include <QImage>
#include <QString>
#include <gtest/gtest.h>
#include <string>

namespace TestGolden {

// The stored picture (as RGB32), or a null image when there is none.
QImage Load(const QString& goldenFile);
// Whether actual equals the golden image of that file (see above).
::testing::AssertionResult Matches(const QImage& actual, const QString& goldenFile);
// Whether this run rewrites golden images.
bool Updating();
// For a comparison that expects differences in one place only: writes the picture
// and the difference picture as above and returns a text naming them (stream it
// into the failure message; gtest evaluates it only when the expectation fails).
std::string Explain(const QImage& actual, const QString& goldenFile);

} // namespace TestGolden
