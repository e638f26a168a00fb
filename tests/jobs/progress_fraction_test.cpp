#include "jobs/progress_fraction.h"

#include <gtest/gtest.h>

namespace sonvarek {
namespace {

// Every step reports the same fraction for the same counts, also at the edges where
// the copies of it used to disagree.
TEST(ProgressFraction, EveryStepCountsThousandthsAlike) {
  struct Case {
    uint64_t done;
    uint64_t total;
    int64_t thousandths;
  };
  const Case cases[] = {
      {0, 0, 1000},            // nothing to do is done
      {0, 1, 0},
      {1, 3, 333},             // fewer units than thousandths: exact
      {999, 999, 1000},
      {46080, 100000, 460},    // done / (total / 1000)
      {10 * 4608, 116200, 397},
      {5000, 4096, 1000},      // never past the end
      {UINT64_MAX / 2, UINT64_MAX, 500},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressThousandths(c.done, c.total), c.thousandths) << c.done << " of " << c.total;
  }
}

}  // namespace
}  // namespace sonvarek
