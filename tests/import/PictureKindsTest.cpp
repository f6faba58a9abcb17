// One file of every kind the importer once refused or showed wrong (top-down and 2-bit
// BMPs, bit fields with alpha or beside a colour table, short, long and distant colour
// tables, icons with short tables, a one-frame GIF smaller than its screen, CMYK JPEG, TIFF,
// PNG and JPEG orientations, Display P3 PNG and JPEG made sRGB by lcms2, 16-bit PNGs), written at
// test time by tests/suites/picture_kinds.py with Pillow's decoding of each: imported as the saver
// opens a face, each must be drawable and give Pillow's picture.
#include "ImportTestSupport.h"
#include "PackedPictureReference.h"
#include "import/DrawableLayout.h"
#include "import/PictureLimits.h"

#include <cstdio>
#include <cstdlib>

using namespace importtest;

namespace {

struct Kinds {
    ScratchDir dir;
    std::vector<std::string> files;
    bool ok = false;
    Kinds() {
        const std::string list = dir.path() + "/files.txt";
        const std::string command = "/usr/bin/python3 " VC_TEST_DATA
                                    "/../suites/picture_kinds.py " +
                                    dir.path() + " > " + list;
        ok = std::system(command.c_str()) == 0;
        std::FILE* f = std::fopen(list.c_str(), "r");
        char line[4096];
        while (f && std::fgets(line, sizeof line, f)) {
            std::string name(line);
            name.erase(name.find_last_not_of("\r\n") + 1);
            files.push_back(name);
        }
        if (f) {
            std::fclose(f);
        }
        ok = ok && !files.empty();
    }
};

struct Drawn {
    Packed packed;
    ImportReport report;
};

Drawn ImportAsFace(const std::string& path) {
    Drawn d;
    d.packed.reset(
        ToDrawableLayout(ImportPictureReporting(path.c_str(), picture::kMaxPixelBytes, &d.report)));
    return d;
}

// The largest difference of any channel; -1 when the sizes differ.
int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) {
        return -1;
    }
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    }
    return largest;
}

} // namespace

// Bit fields are widened by rounding where Pillow truncates, and CMYK is converted by the
// same formula: no channel may differ by more than one level.
TEST(PictureKinds, EveryKindIsDrawnAsPillowDecodesIt) {
    Kinds kinds;
    ASSERT_TRUE(kinds.ok) << "python3 with Pillow is needed";
    EXPECT_EQ(kinds.files.size(), 30u);
    for (const std::string& file : kinds.files) {
        const Drawn ours = ImportAsFace(file);
        const Drawn pillow = ImportAsFace(file + ".png");
        ASSERT_TRUE(ours.packed) << file << ": result " << ours.report.result;
        ASSERT_TRUE(pillow.packed) << file;
        EXPECT_TRUE(IsDrawableLayout(ours.packed.get())) << file;
        EXPECT_EQ(ours.packed->biWidth, pillow.packed->biWidth) << file;
        EXPECT_EQ(ours.packed->biHeight, pillow.packed->biHeight) << file;
        EXPECT_LE(LargestDifference(PackedRgb(ours.packed.get()), PackedRgb(pillow.packed.get())),
                  1)
            << file;
    }
}
