#include "make/picture/Orientation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace {
// A 4 x 3 picture whose red channel numbers its pixels in reading order.
RgbaImage Numbered() {
    RgbaImage image;
    image.width = 4;
    image.height = 3;
    for (int i = 0; i < 12; ++i) {
        image.pixels.insert(image.pixels.end(), {static_cast<uint8_t>(i), 0, 0, 255});
    }
    return image;
}

// Pillow's exif_transpose of the same numbered picture, for each orientation: one line of
// "orientation width height numbers...".
std::string PillowAnswers() {
    const char* script = "/usr/bin/python3 -c \""
                         "from PIL import Image, ImageOps\n"
                         "for n in range(1, 9):\n"
                         "    im = Image.new('L', (4, 3)); im.putdata(list(range(12)))\n"
                         "    im.getexif()[0x0112] = n\n"
                         "    out = ImageOps.exif_transpose(im)\n"
                         "    print(n, *out.size, *out.getdata())\n"
                         "\" 2>/dev/null";
    std::string text;
    if (FILE* p = popen(script, "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p)) {
            text += buffer;
        }
        pclose(p);
    }
    return text;
}
} // namespace

TEST(Orientation, AllEightMatchPillowsExifTranspose) {
    std::istringstream answers(PillowAnswers());
    int count = 0;
    for (int n, w, h; answers >> n >> w >> h; ++count) {
        const RgbaImage upright = Upright(Numbered(), n);
        ASSERT_EQ(upright.width, w) << "orientation " << n;
        ASSERT_EQ(upright.height, h) << "orientation " << n;
        for (int i = 0; i < w * h; ++i) {
            int expected = 0;
            answers >> expected;
            EXPECT_EQ(upright.pixels[static_cast<size_t>(i) * 4], expected)
                << "orientation " << n << ", pixel " << i;
        }
    }
    if (count == 0) {
        GTEST_SKIP() << "Pillow is not available in /usr/bin/python3";
    }
    EXPECT_EQ(count, 8);
}

TEST(Orientation, ValuesOutsideOneToEightLeaveThePictureAsStored) {
    for (int n : {0, 1, 9, -3}) {
        const RgbaImage same = Upright(Numbered(), n);
        EXPECT_EQ(same.width, 4);
        EXPECT_EQ(same.pixels, Numbered().pixels);
    }
}
