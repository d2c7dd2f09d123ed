#include "core/details/monitor_details.h"

#include <gtest/gtest.h>

namespace vz {
namespace {

TEST(MonitorDetails, ListingOfTwoMonitorsAndAnInactiveOutput) {
    const QVector<OutputRecord> outputs = {
        {"DP-1", "modesetting", true, true, {1920, 1080}, 60.0, 24},
        {"HDMI-1", "modesetting", true, true, {1280, 1024}, 75.0, 24},
        {"VGA-1", "modesetting", false, false, {}, 0.0, 0},
        {"DP-2", "modesetting", false, false, {}, 0.0, 0},  // past n + 1 rounds: not listed
    };
    const QString dots = QStringLiteral(". ").repeated(112) + ".";
    ASSERT_EQ(dots.size(), 225);
    const QStringList expected = {
        " ",
        "Monitor 1",
        "DP-1",
        "modesetting",
        "Resolution 1920 x 1080",
        "Bits per pixels 24",
        dots,
        " ",
        "Monitor 2",
        "HDMI-1",
        "modesetting",
        "Resolution 1280 x 1024",
        "Bits per pixels 24",
        dots,
        " ",
        "Monitor 3",
        "Monitor isn't active",
        "VGA-1",
        "modesetting",
        dots,
    };
    EXPECT_EQ(monitorDetailsListing(outputs, 2), expected);
}

TEST(MonitorDetails, RoundsWithoutAnOutputGiveOnlyTheBlankLine) {
    const QVector<OutputRecord> one = {{"Virtual-1", "", true, true, {3200, 1080}, 0.0, 24}};
    const QStringList listing = monitorDetailsListing(one, 2);
    ASSERT_EQ(listing.size(), 7 + 2);
    EXPECT_EQ(listing.mid(7), (QStringList{" ", " "}));
    EXPECT_EQ(monitorDetailsListing({}, 0), QStringList{" "});
}

}  // namespace
}  // namespace vz
