// Where the dialog and the video window go, as plain arithmetic.
#include <gtest/gtest.h>

#include "graph/VideoPlacement.h"
#include "ui/DialogPlacement.h"

namespace {

struct DialogCase
{
    RECT rcArea;
    RECT rcDialog;
    LONG x, y;
};

TEST(DialogPlacementTest, CentresOnTheBottomOfTheWorkArea)
{
    const DialogCase rgCases[] = {
        {{0, 0, 1920, 1040}, {0, 0, 446, 231}, 737, 809},
        // A task bar on the left moves the centre with the work area.
        {{100, 0, 1920, 1080}, {0, 0, 446, 231}, 787, 849},
        // The dialog's old position does not matter, only its size.
        {{0, 0, 1280, 1024}, {500, 600, 946, 831}, 417, 793},
        // Odd remainders truncate toward zero, also for a negative sum.
        {{0, 0, 1001, 800}, {0, 0, 500, 200}, 250, 600},
        {{-1000, 0, 0, 800}, {0, 0, 1001, 200}, -1000, 600},
    };
    for (const DialogCase& c : rgCases)
    {
        POINT pt = DialogBottomCentre(c.rcArea, c.rcDialog);
        EXPECT_EQ(c.x, pt.x);
        EXPECT_EQ(c.y, pt.y);
    }
}

TEST(VideoPlacementTest, StandsAboveTheDialogCentredAcrossTheWorkArea)
{
    const struct
    {
        RECT rcArea;
        LONG nDialogTop;
        long nWidth, nHeight;
        long nLeft, nTop;
    } rgCases[] = {
        {{0, 0, 1920, 1040}, 800, 640, 480, 640, 320},
        // A task bar on the left narrows the area but the left edge is not shifted by it.
        {{100, 0, 1920, 1080}, 800, 640, 480, 590, 320},
        // Taller than the room above the dialog: the screen's top edge, overlapping.
        {{0, 40, 1920, 1080}, 300, 640, 480, 640, 0},
        // Wider than the work area: negative, truncated toward zero, used unchanged.
        {{0, 0, 1920, 1040}, 800, 2001, 480, -40, 320},
        {{0, 0, 1920, 1040}, 480, 640, 480, 640, 0},
    };
    for (const auto& c : rgCases)
    {
        RECT rcDialog = {400, c.nDialogTop, 846, c.nDialogTop + 231};
        EXPECT_EQ(c.nTop, VideoWindowTop(rcDialog, c.nHeight));
        EXPECT_EQ(c.nLeft, VideoWindowLeft(c.rcArea, c.nWidth));
    }
}

} // namespace
