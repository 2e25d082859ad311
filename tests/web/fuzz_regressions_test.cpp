// Cases the fuzzers found in the document engine, kept so they stay fixed.
#include <gtest/gtest.h>

#include <QSize>

#include "web/web_document.h"

namespace {

// One size attribute scales the other side by the image's own aspect. An image header may
// declare up to 2^31 - 1 pixels a side, so the product can pass the int range: the result
// must saturate, not wrap around into a negative or a smaller, wrong size.
TEST(FuzzRegressions, ScaledImageSideDoesNotWrapAround) {
  struct Case {
    int attrWidth, attrHeight;
    QSize intrinsic;
  } cases[] = {
      {1000000000, -1, {1, 2147483647}},  // found: height came out as -1000000000
      {3000, -1, {1, 2000000}},           // wrapped to a positive 1705032704
      {-1, 1000000000, {2147483647, 1}},
      {-1, 3000, {2000000, 1}},
  };
  for (const Case& c : cases) {
    const QSize size = web::layoutSize(c.attrWidth, c.attrHeight, c.intrinsic);
    const int scaled = c.attrWidth >= 0 ? size.height() : size.width();
    // Saturated, or given up as unknown (0); never wrapped.
    EXPECT_TRUE(scaled == 0 || scaled >= 1000000000)
        << scaled << " for " << c.attrWidth << " " << c.attrHeight << " on " << c.intrinsic.width()
        << "x" << c.intrinsic.height();
  }
}

}  // namespace
