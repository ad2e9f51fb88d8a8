#include <gtest/gtest.h>

#include "profiles/ConnectionProfiles.h"

namespace vornix::test {
namespace {

TEST(ConnectionProfiles, EveryRowKeepsTheTablesInvariants) {
    const auto methods = ConnectionMethods();
    ASSERT_EQ(6u, methods.size());
    const std::size_t rows[] = {10, 6, 5, 5, 3, 3};
    std::size_t total = 0;
    for (std::size_t m = 0; m < methods.size(); ++m) {
        EXPECT_EQ(rows[m], methods[m].speeds.size());
        EXPECT_EQ(40, methods[m].mtu - methods[m].mss);
        for (const auto& s : methods[m].speeds) EXPECT_EQ(0, s.rwin % methods[m].mss) << s.caption;
        total += methods[m].speeds.size();
    }
    EXPECT_EQ(32u, total);
    EXPECT_STREQ("办公室，家庭，校园，或其它网络", methods[5].caption);
    EXPECT_STREQ("2Mb以上", methods[1].speeds[0].caption);
    EXPECT_STREQ("HSDPA or EvDO (3G+, 3.5G)", methods[2].speeds[3].caption);
}

TEST(ConnectionProfiles, SpeedSelectionSetsMtuMssAndOnlyAKnownRowsWindow) {
    TuningSet t;
    t.lngTTL = 77;
    SelectSpeed(t, 0, 0);
    EXPECT_EQ(1492, t.lngMTU);
    EXPECT_EQ(1452, t.lngMSS);
    EXPECT_EQ(10164, t.lngRWIN);
    SelectSpeed(t, 0, 9);
    EXPECT_EQ(2337720, t.lngRWIN);
    SelectSpeed(t, 2, 0);
    EXPECT_EQ((TuningSet{1476, 1436, 10052, 77, 0, 0, 0, 0}), t);
    SelectSpeed(t, 4, 3);  // no such row: MTU and MSS change, RWIN stays
    EXPECT_EQ((TuningSet{1500, 1460, 10052, 77, 0, 0, 0, 0}), t);
    SelectSpeed(t, 4, -1);
    EXPECT_EQ(10052, t.lngRWIN);
    SelectSpeed(t, 4, 0);
    EXPECT_EQ(7300, t.lngRWIN) << "56Kb has the largest dial-up window";
    TuningSet a, b;
    SelectSpeed(a, 5, 0);
    SelectSpeed(b, 5, 2);
    EXPECT_EQ(a, b);
    SelectSpeed(a, 6, 0);  // no such method
    EXPECT_EQ(b, a);
    SetFixedMembers(a);
    EXPECT_EQ((TuningSet{1500, 1460, 2064440, 128, 0, 1, 1, 1}), a);
}

}  // namespace
}  // namespace vornix::test
