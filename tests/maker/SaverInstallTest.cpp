#include "vomracube-maker/SaverInstall.h"

#include <gtest/gtest.h>

namespace {

TEST(SaverInstall, CopyIsNamedAfterTheSaverAndEndsInScr) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\Users\\me\\Pictures\\Holiday.scr", "Holiday.scr"},
        {"C:/Users/me/Holiday.SCR", "Holiday.SCR"},
        {"Z:Holiday.scr", "Holiday.scr"},
        {"C:\\savers\\Holiday", "Holiday.scr"},
        {"C:\\savers\\Holiday.exe", "Holiday.exe.scr"},
        {"C:\\savers\\Holiday.scr. . ", "Holiday.scr"},
        {"scr", "scr.scr"},
        {"C:\\savers\\", ""},
        {"C:\\savers\\. .", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InstalledSaverName(c.path), c.name) << c.path;
    }
}

} // namespace
