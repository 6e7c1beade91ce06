#include "tvd_datetime.h"

#include <gtest/gtest.h>

TEST(DateTime, ToStringUsesMinutesForN)
{
    CBSDateTime t(2026, 3, 7, 9, 5, 2);
    EXPECT_EQ(t.toString(), "2026/03/07 09:05:02");
    EXPECT_EQ(t.toString("%D.%M.%Y %N%%"), "07.03.2026 05%");
}

TEST(DateTime, SubtractionGivesSignedSecondsAcrossLeapDays)
{
    CBSDateTime begin(2024, 1, 1, 0, 0, 0);
    CBSDateTime end(2024, 12, 31, 23, 59, 59);
    EXPECT_EQ(end - begin, 31622399);
    EXPECT_EQ(begin - end, -31622399);
    CBSDateTime t = begin;
    t.setTime({23, 59, 59, 0});
    EXPECT_EQ(t - begin, 86399);
}

TEST(DateTime, TDateTimeRoundTrip)
{
    CBSDateTime t(1899, 12, 30, 12, 0, 0);
    EXPECT_DOUBLE_EQ(t.toTDateTime(), 0.5);
    CBSDateTime u(2026, 12, 5, 15, 58, 22);
    EXPECT_EQ(CBSDateTime::fromTDateTime(u.toTDateTime()), u);
    // Day 46000 is 2025-12-09; a time a hair before midnight rounds to the next day.
    EXPECT_EQ(CBSDateTime::fromTDateTime(46000.0).toString(), "2025/12/09 00:00:00");
    EXPECT_EQ(CBSDateTime::fromTDateTime(46000.999999999).toString(), "2025/12/10 00:00:00");
}

TEST(DateTime, WireForm)
{
    CBSDateTime t;
    ASSERT_TRUE(CBSDateTime::fromWire("2026-12-05 15:58:22", t));
    EXPECT_EQ(t.toWire(), "2026-12-05 15:58:22");
    EXPECT_TRUE(CBSDateTime::fromWire("2026-12-05", t));
    EXPECT_EQ(t.hour(), 0);
    EXPECT_TRUE(CBSDateTime::fromWire("0000-00-00 00:00:00", t));
    EXPECT_TRUE(t.isNull());
    EXPECT_EQ(CBSDateTime(5, 1, 2, 3, 4, 0).toWire(), "0005-01-02 03:04:00");
    for (const char* bad :
         {"2026-13-01 00:00:00", "2026-12-05 24:00:00", "2026/12/05", "x", "2026-12-05 15:58:22x",
          "2026-+1-05", "2026-12-05T15:58:22", "2026-12-05 15:58: 2"})
        EXPECT_FALSE(CBSDateTime::fromWire(bad, t)) << bad;
}
