// The synchronizer stand-in's record and its rounding of the stored duration.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include "sync/SyncConfig.h"

TEST(SyncConfig, RecordLayoutIsLittleEndianFieldByField)
{
    SSyncConfig config;
    config.m_dDurationSeconds = 0.25;
    config.m_bRefuseInterface = true;
    config.m_hrSetResult = E_NOTIMPL;
    config.m_dGranularitySeconds = 0.5;
    BYTE rgb[kSyncRecordSize];
    PackSyncConfig(config, rgb);
    const BYTE kExpected[kSyncRecordSize] = {
        1, 0, 0, 0,                                      // version
        0, 0, 0, 0, 0, 0, 0xD0, 0x3F,                    // 0.25
        1, 0, 0, 0,                                      // refuse
        0x01, 0x40, 0x00, 0x80,                          // 0x80004001
        0, 0, 0, 0, 0, 0, 0xE0, 0x3F};                   // 0.5
    EXPECT_EQ(0, memcmp(kExpected, rgb, sizeof(rgb)));
}

TEST(SyncConfig, RoundTripsBitExact)
{
    SSyncConfig in;
    in.m_dDurationSeconds = 0.2506;
    in.m_bRefuseInterface = false;
    in.m_hrSetResult = static_cast<HRESULT>(0x8007000E);
    in.m_dGranularitySeconds = 0.0025;
    BYTE rgb[kSyncRecordSize];
    PackSyncConfig(in, rgb);
    SSyncConfig out = DefaultSyncConfig();
    ASSERT_EQ(S_OK, UnpackSyncConfig(rgb, sizeof(rgb), &out));
    EXPECT_EQ(0, memcmp(&in.m_dDurationSeconds, &out.m_dDurationSeconds, sizeof(double)));
    EXPECT_FALSE(out.m_bRefuseInterface);
    EXPECT_EQ(static_cast<HRESULT>(0x8007000E), out.m_hrSetResult);
    EXPECT_EQ(0, memcmp(&in.m_dGranularitySeconds, &out.m_dGranularitySeconds, sizeof(double)));
}

struct SSyncBadCase
{
    const char* m_pszWhat;
    ULONG m_cbRecord;
    int m_iOffset;  // -1: no patch
    double m_dValue;     // patched as a double at a double field
    DWORD m_dwValue;     // patched as a DWORD at a DWORD field
};

class SyncConfigBadRecord : public ::testing::TestWithParam<SSyncBadCase>
{
};

TEST_P(SyncConfigBadRecord, IsRejectedAndLeavesTheOutputAlone)
{
    const SSyncBadCase& c = GetParam();
    BYTE rgb[kSyncRecordSize];
    PackSyncConfig(DefaultSyncConfig(), rgb);
    if (c.m_iOffset == 4 || c.m_iOffset == 20)
        memcpy(rgb + c.m_iOffset, &c.m_dValue, sizeof(double));
    else if (c.m_iOffset >= 0)
        memcpy(rgb + c.m_iOffset, &c.m_dwValue, sizeof(DWORD));
    SSyncConfig out = DefaultSyncConfig();
    out.m_dDurationSeconds = 7.0;
    EXPECT_EQ(E_INVALIDARG, UnpackSyncConfig(rgb, c.m_cbRecord, &out)) << c.m_pszWhat;
    EXPECT_EQ(7.0, out.m_dDurationSeconds) << c.m_pszWhat;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SyncConfigBadRecord,
    ::testing::Values(SSyncBadCase{"short by one byte", kSyncRecordSize - 1, -1, 0, 0},
                      SSyncBadCase{"version 0", kSyncRecordSize, 0, 0, 0},
                      SSyncBadCase{"negative duration", kSyncRecordSize, 4, -0.001, 0},
                      SSyncBadCase{"infinite duration", kSyncRecordSize, 4, HUGE_VAL, 0},
                      SSyncBadCase{"not-a-number duration", kSyncRecordSize, 4, NAN, 0},
                      SSyncBadCase{"refuse flag 2", kSyncRecordSize, 12, 0, 2},
                      SSyncBadCase{"negative granularity", kSyncRecordSize, 20, -0.5, 0}));

struct SRoundCase
{
    double m_dValue;
    double m_dGranularity;
    double m_dExpected;
};

class SyncRounding : public ::testing::TestWithParam<SRoundCase>
{
};

TEST_P(SyncRounding, GoesToTheNearestMultiple)
{
    const SRoundCase& c = GetParam();
    EXPECT_NEAR(c.m_dExpected, RoundToGranularity(c.m_dValue, c.m_dGranularity), 1e-12)
        << c.m_dValue << " to " << c.m_dGranularity;
}

INSTANTIATE_TEST_SUITE_P(Cases, SyncRounding,
                         ::testing::Values(SRoundCase{0.2506, 0.0025, 0.25},     // down
                                           SRoundCase{0.2513, 0.0025, 0.2525},   // up
                                           SRoundCase{0.001, 0.0025, 0.0},       // below half a step
                                           SRoundCase{0.0013, 0.0025, 0.0025},   // above half a step
                                           SRoundCase{1.0, 0.0025, 1.0},         // already a multiple
                                           SRoundCase{0.2506, 0.0, 0.2506},      // no granularity
                                           SRoundCase{0.123456, 0.0, 0.123456}));

TEST(SyncConfig, DurationValidity)
{
    EXPECT_TRUE(SyncDurationValid(0.0));
    EXPECT_TRUE(SyncDurationValid(10.0));
    EXPECT_FALSE(SyncDurationValid(-1e-9));
    EXPECT_FALSE(SyncDurationValid(NAN));
    EXPECT_FALSE(SyncDurationValid(-HUGE_VAL));
}
