#include "KVD_Edit/app/shell/SplashDlg.h"

#include <gtest/gtest.h>

namespace {

TEST(HintPlacement, ModesPlaceTheHintOnTheDesktop) {
    const SHintRect desk{0, 0, 1600, 1000};
    EXPECT_EQ(CSplashDlg::PlaceWindow(1, desk, 152, 81, true), (SHintRect{400, 250, 1200, 750}));
    EXPECT_EQ(CSplashDlg::PlaceWindow(3, desk, 152, 81, true), (SHintRect{724, 460, 876, 541}));
    EXPECT_EQ(CSplashDlg::PlaceWindow(2, desk, 152, 81, true),
              CSplashDlg::PlaceWindow(3, desk, 152, 81, true));
    EXPECT_EQ(CSplashDlg::PlaceWindow(3, desk, 152, 81, false), desk);
    EXPECT_EQ(CSplashDlg::PlaceWindow(0, desk, 152, 81, true), desk);
    const SHintRect shifted{100, 50, 1700, 1050};
    EXPECT_EQ(CSplashDlg::PlaceWindow(3, shifted, 100, 50, true), (SHintRect{850, 525, 950, 575}));
}

} // namespace
