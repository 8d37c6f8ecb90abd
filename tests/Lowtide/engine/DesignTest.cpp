// The engine's designs of the main section and the bands, against the worked values.
#include "Lowtide/engine/DesignValues.h"
#include "EngineFixture.h"

using namespace lowtide;

namespace {

void prepared44100() { prepareEq(44100.0); }

}  // namespace

TEST_F(EngineTest, InitialParametersGiveTheWorkedLowPass) {
  prepared44100();
  biquad* s = mainFilter.load();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(sixDigits(coef(s->c0)), "3.15007e-05");
  EXPECT_EQ(sixDigits(coef(s->c1)), "6.30014e-05");
  EXPECT_EQ(sixDigits(coef(s->c2)), "3.15007e-05");
  EXPECT_EQ(sixDigits(coef(s->c3)), "-1.93930");
  EXPECT_EQ(sixDigits(coef(s->c4)), "0.939428");
}

TEST_F(EngineTest, HighShelfGivesTheWorkedDesignWithoutClearingHistory) {
  prepared44100();
  biquad* s = mainFilter.load();
  for (int i = 0; i < 10; ++i) bq(0.5f, s);
  const float y1 = coef(s->y1);
  eqType = 2;
  gain = 6.0;
  freq = 2222.0;
  bandwidth = 5.0;
  updateEq();
  EXPECT_EQ(sixDigits(coef(s->c0)), "1.84793");
  EXPECT_EQ(sixDigits(coef(s->c1)), "-3.00435");
  EXPECT_EQ(sixDigits(coef(s->c2)), "1.26680");
  EXPECT_EQ(sixDigits(coef(s->c3)), "-1.47821");
  EXPECT_EQ(sixDigits(coef(s->c4)), "0.588590");
  EXPECT_EQ(coef(s->y1), y1);
  EXPECT_EQ(coef(s->x1), 0.5f);
  // Gain 1 at zero frequency, about 2 (6 dB) at half the sample rate.
  const float dc = (coef(s->c0) + coef(s->c1) + coef(s->c2)) / (1.0f + coef(s->c3) + coef(s->c4));
  const float nyquist = (coef(s->c0) - coef(s->c1) + coef(s->c2)) / (1.0f - coef(s->c3) + coef(s->c4));
  EXPECT_NEAR(dc, 1.0f, 1e-4f);
  EXPECT_NEAR(nyquist, 1.995f, 0.01f);
}

TEST_F(EngineTest, UnknownTypeKeepsTheMainSectionButRecordsTheDesign) {
  prepared44100();
  biquad* s = mainFilter.load();
  const float before[5] = {coef(s->c0), coef(s->c1), coef(s->c2), coef(s->c3), coef(s->c4)};
  const float b0Before = coef(b0);
  eqType = 4;
  freq = 1000.0;
  updateEq();
  EXPECT_EQ(coef(s->c0), before[0]);
  EXPECT_EQ(coef(s->c3), before[3]);
  EXPECT_EQ(coef(s->c4), before[4]);
  EXPECT_EQ(coef(b0), b0Before);                              // stops before the raw coefficients
  EXPECT_EQ(coef(omega), static_cast<float>(1000.0 * 6.283185307179586 / 44100.0));
}

TEST_F(EngineTest, DesignBeforePreparationWritesNoSection) {
  srate = 44100.0;
  updateEq();
  updatePlusEq(2048, 6.0);
  EXPECT_EQ(mainFilter.load(), nullptr);
  EXPECT_NE(coef(a0), 0.0f);  // the design values are still formed
}

TEST_F(EngineTest, BandDesignsFollowTheWorkedValuesAndOnlyKnownBands) {
  prepared44100();
  updatePlusEq(2048, 6.0);
  biquad* band = plusFilters[3].load();
  EXPECT_EQ(sixDigits(coef(band->c0)), "1.36252");
  EXPECT_EQ(sixDigits(coef(band->c1)), "-1.21776");
  EXPECT_EQ(sixDigits(coef(band->c2)), "-0.0910228");
  EXPECT_EQ(sixDigits(coef(band->c4)), "0.271501");

  float before[6][5];
  for (int b = 0; b < 6; ++b) {
    biquad* s = plusFilters[b].load();
    const float v[5] = {coef(s->c0), coef(s->c1), coef(s->c2), coef(s->c3), coef(s->c4)};
    std::copy(v, v + 5, before[b]);
  }
  updatePlusEq(100, 9.0);
  for (int b = 0; b < 6; ++b) {
    biquad* s = plusFilters[b].load();
    EXPECT_EQ(coef(s->c0), before[b][0]);
    EXPECT_EQ(coef(s->c2), before[b][2]);
    EXPECT_EQ(coef(s->c4), before[b][4]);
  }
}

TEST_F(EngineTest, BandsWriteC3EqualToC1AtAnyGain) {
  prepared44100();
  const int bands[6] = {32, 128, 512, 2048, 8192, 16384};
  for (int b = 0; b < 6; ++b) {
    for (double g : {-12.0, -3.5, 0.0, 4.0, 12.0}) {
      updatePlusEq(bands[b], g);
      biquad* s = plusFilters[b].load();
      EXPECT_EQ(coef(s->c3), coef(s->c1)) << bands[b] << " " << g;
    }
  }
  updatePlusEq(2048, 0.0);
  biquad* s = plusFilters[3].load();
  EXPECT_EQ(coef(s->c0), 1.0f);
  EXPECT_EQ(coef(s->c2), coef(s->c4));
}

TEST_F(EngineTest, NewRateRecomputesMainSectionAndLeavesBands) {
  prepared44100();
  updatePlusEq(512, 5.0);
  biquad* band = plusFilters[2].load();
  const float bandC0 = coef(band->c0);
  const float mainC3 = coef(mainFilter.load()->c3);
  prepareEq(48000.0);
  EXPECT_EQ(srate.load(), 48000.0);
  EXPECT_NE(coef(mainFilter.load()->c3), mainC3);
  EXPECT_EQ(coef(band->c0), bandC0);
  EXPECT_EQ(plusFilters[2].load(), band);
}

// Designs that cannot run (not finite, or poles on the unit circle) never reach the shared
// sections: each leaves the section's coefficients exactly as they were.
TEST_F(EngineTest, DesignsThatWouldBreakTheSharedStateLeaveTheSectionsAsTheyWere) {
  prepared44100();
  biquad* s = mainFilter.load();
  auto coefsOf = [](const biquad* b) {
    return std::vector<float>{coef(b->c0), coef(b->c1), coef(b->c2), coef(b->c3), coef(b->c4)};
  };
  const auto before = coefsOf(s);
  struct Case {
    const char* what;
    int32_t type;
    double freq, width;
  };
  for (const Case& c : {Case{"low pass at 0 Hz", 0, 0.0, 5.0}, Case{"bandwidth 0", 0, 2222.0, 0.0},
                        Case{"high shelf at 0 Hz", 2, 0.0, 5.0}, Case{"all-zero preset", 0, 0.0, 0.0}}) {
    eqType = c.type;
    freq = c.freq;
    bandwidth = c.width;
    updateEq();
    EXPECT_EQ(coefsOf(s), before) << c.what;
  }
  EXPECT_EQ(coef(omega), 0.0f);  // the design values still record the last design

  biquad* band = plusFilters[3].load();
  const auto bandBefore = coefsOf(band);
  updatePlusEq(2048, 1e6);  // 10^(1e6/40) overflows
  EXPECT_EQ(coefsOf(band), bandBefore);
  updatePlusEq(2048, 6.0);
  EXPECT_NE(coefsOf(band), bandBefore);
}

TEST_F(EngineTest, AnUnusableFirstDesignLeavesTheMainSectionMissingUntilAUsableOne) {
  freq = 0.0;
  enabled = true;
  prepared44100();
  EXPECT_EQ(mainFilter.load(), nullptr);
  EXPECT_EQ(performFilters.load(), &case4);
  EXPECT_EQ(case2(0.25f), 0.25f);  // a kernel meeting the missing section passes the sample on
  freq = 2222.0;
  prepared44100();
  ASSERT_NE(mainFilter.load(), nullptr);
  EXPECT_TRUE(isUsableSection(*mainFilter.load()));
  EXPECT_EQ(performFilters.load(), &case2);
}

// Bands no kernel the switches choose ever runs: one that cannot be designed at the first rate
// (above the Nyquist frequency, or with a bandwidth of 0) is created as a pass-through and never
// keeps the main filter and the bass boost out of force.
TEST_F(EngineTest, BandsThatCannotBeDesignedAreCreatedAsPassThroughsAndHoldNoKernelBack) {
  struct Case {
    const char* what;
    double rate, width;
    int passThroughBands;  // how many bands, from the top, cannot be designed
  };
  for (const Case& c : {Case{"32 kHz", 32000.0, 5.0, 1}, Case{"16 kHz", 16000.0, 5.0, 2},
                        Case{"bandwidth 0", 44100.0, 0.0, 6}}) {
    SCOPED_TRACE(c.what);
    resetEngineForTesting();
    enabled = true;
    bassenabled = true;
    bandwidth = c.width;
    prepareEq(c.rate);
    for (int i = 0; i < 6; ++i) {
      biquad* band = plusFilters[i].load();
      ASSERT_NE(band, nullptr) << i;
      EXPECT_TRUE(isUsableSection(*band)) << i;
      if (i >= 6 - c.passThroughBands) {
        EXPECT_EQ(coef(band->c0), 1.0f);
        EXPECT_EQ(bq(0.25f, band), 0.25f);
      }
    }
    bandwidth = 5.0;  // the main section is designed again at the next preparation if it failed
    prepareEq(c.rate);
    EXPECT_NE(mainFilter.load(), nullptr);
    EXPECT_EQ(performFilters.load(), &case1);
  }
}
