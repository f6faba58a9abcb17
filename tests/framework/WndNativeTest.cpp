// Natively the window classes exist only so that portable classes can hold them: no
// window is ever made, and the operations portable code may call are harmless.
#include "framework/Dialog.h"
#include "framework/GdiObject.h"
#include "framework/Static.h"

#include <gtest/gtest.h>

namespace {

TEST(WndNative, WindowObjectsHaveNoWindowAndDestroyNothing) {
    CDialog dialog;
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(dialog.DestroyWindow());
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CWnd)));
    CStatic control;
    EXPECT_TRUE(control.IsKindOf(RUNTIME_CLASS(CStatic)));
    EXPECT_FALSE(control.IsKindOf(RUNTIME_CLASS(CDialog)));
}

TEST(WndNative, GdiObjectsCannotBeCreated) {
    CPalette palette;
    LOGPALETTE logPalette{0x300, 1, {{1, 2, 3, 0}}};
    EXPECT_FALSE(palette.CreatePalette(&logPalette));
    EXPECT_EQ(palette.GetSafeHandle(), nullptr);
    PALETTEENTRY entry{};
    EXPECT_EQ(palette.GetPaletteEntries(0, 1, &entry), 0u);
}

} // namespace
