// The kernels and the choice of the kernel in force.
#include <cmath>

#include "EngineFixture.h"

using namespace lowtide;

TEST_F(EngineTest, PassThroughKernelIsBitExact) {
  for (float x : {0.0f, -0.0f, 1e-38f, 0.123456f, -1.0f, 3.4e38f}) {
    EXPECT_EQ(std::signbit(case4(x)), std::signbit(x));
    EXPECT_EQ(case4(x), x);
  }
}

TEST_F(EngineTest, TransparentBassDefaultsAreBitExactButCapFollows) {
  prepareEq(44100.0);
  EXPECT_EQ(bassfreq.load(), 80.0);
  EXPECT_EQ(bassintens.load(), 0.0);
  EXPECT_EQ(bassgain.load(), 1.0);
  for (int i = 0; i < 500; ++i) {
    const float x = std::sin(0.01f * static_cast<float>(i)) * 0.7f + 0.1f;
    ASSERT_EQ(case3(x), x) << i;
  }
  EXPECT_NE(cap.load(), 0.0f);
  EXPECT_EQ(gain1.load(), static_cast<float>(1.0 / 81.0));
}

TEST_F(EngineTest, BassStepRisesFromOnePlusOneEightyFirstTowardsTwo) {
  bassfreq = 80.0;
  bassintens = 1.0;
  bassgain = 1.0;
  const float first = case3(1.0f);
  EXPECT_EQ(first, static_cast<float>(1.0 + static_cast<double>(static_cast<float>(1.0 / 81.0))));
  EXPECT_NEAR(first, 1.0f + 1.0f / 81.0f, 1e-7f);
  float previous = first, y = first;
  for (int i = 0; i < 2000; ++i) {
    y = dBoost(1.0f);
    ASSERT_GE(y, previous);
    previous = y;
  }
  EXPECT_NEAR(y, 2.0f, 1e-4f);
}

TEST_F(EngineTest, BoostKernelsChainTheMainFilterFirst) {
  prepareEq(44100.0);
  bassintens = 0.5;
  bassgain = 0.8;
  // Two identical engines in sequence: case1 must equal dBoost(bq(x)) on the same state.
  biquad* s = mainFilter.load();
  float xs[64];
  for (int i = 0; i < 64; ++i) xs[i] = std::cos(0.3f * static_cast<float>(i));
  float viaCase1[64];
  for (int i = 0; i < 64; ++i) viaCase1[i] = case1(xs[i]);
  resetEngineForTesting();
  prepareEq(44100.0);
  bassintens = 0.5;
  bassgain = 0.8;
  s = mainFilter.load();
  for (int i = 0; i < 64; ++i) ASSERT_EQ(dBoost(bq(xs[i], s)), viaCase1[i]) << i;
}

TEST_F(EngineTest, FlatBandsDivideByOneAndAHalf) {
  prepareEq(44100.0);
  for (int i = 0; i < 300; ++i) {
    const float x = 0.5f * std::sin(0.2f * static_cast<float>(i));
    EXPECT_NEAR(caseplus(x), x / 1.5f, 2e-5f) << i;  // six sections of rounding
  }
}

TEST_F(EngineTest, SwitchesChooseTheKernel) {
  prepareEq(44100.0);
  const struct {
    bool filter, bass;
    Kernel kernel;
  } table[] = {{true, true, case1}, {true, false, case2}, {false, true, case3}, {false, false, case4}};
  for (const auto& row : table) {
    enabled = row.filter;
    bassenabled = row.bass;
    setFunc();
    EXPECT_EQ(performFilters.load(), row.kernel) << row.filter << row.bass;
  }
}

TEST_F(EngineTest, NoKernelBeforeTheFirstPreparationAndNoneNeedingAMissingSection) {
  EXPECT_EQ(performFilters.load(), nullptr);
  enabled = true;
  bassenabled = true;
  setFunc();
  EXPECT_EQ(performFilters.load(), case4);
  selectKernel(case2);
  EXPECT_EQ(performFilters.load(), case4);
  selectKernel(caseplus);
  EXPECT_EQ(performFilters.load(), case4);
  selectKernel(case3);  // the bass stage needs no section
  EXPECT_EQ(performFilters.load(), case3);
  selectKernel(nullptr);
  EXPECT_EQ(performFilters.load(), case4);
}

TEST_F(EngineTest, FirstPreparationKeepsTheChosenKernelOnceAllSectionsExist) {
  enabled = true;
  bassenabled = true;
  prepareEq(44100.0);
  EXPECT_EQ(performFilters.load(), case1);
  prepareEq(44100.0);
  EXPECT_EQ(performFilters.load(), case1);
  enabled = false;
  prepareEq(48000.0);
  EXPECT_EQ(performFilters.load(), case3);
}

TEST_F(EngineTest, MissingMainSectionKeepsPassThroughUntilItCanBeDesigned) {
  enabled = true;
  eqType = 7;  // no design: the main section cannot be made
  prepareEq(44100.0);
  EXPECT_EQ(mainFilter.load(), nullptr);
  for (auto& band : plusFilters) EXPECT_NE(band.load(), nullptr);
  EXPECT_EQ(performFilters.load(), case4);
  setFunc();
  EXPECT_EQ(performFilters.load(), case4);

  eqType = 1;
  prepareEq(44100.0);
  ASSERT_NE(mainFilter.load(), nullptr);
  EXPECT_EQ(performFilters.load(), case2);
}

TEST_F(EngineTest, PreparationFillsBassDefaultsOnlyWhenUnset) {
  bassfreq = 120.0;
  bassintens = 0.4;
  bassgain = 2.0;
  prepareEq(44100.0);
  EXPECT_EQ(bassfreq.load(), 120.0);
  EXPECT_EQ(bassintens.load(), 0.4);
  EXPECT_EQ(bassgain.load(), 2.0);
}
