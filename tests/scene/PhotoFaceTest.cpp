// A face showing folder photos: its first photo goes up as soon as it is ready, a later one
// only after the change interval and only while the face is turned away, and two faces
// never show one photo.
#include "../import/PhotoFolderTestSupport.h"

#include "import/FolderPhotos.h"
#include "import/PictureSource.h"
#include "scene/PhotoFace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>
#include <vector>

namespace {

const BITMAPINFOHEADER* Shown(const PhotoFace& face) {
    return face.Picture() ? face.Picture()->GetBitmap() : nullptr;
}

int ColourOf(const PhotoFace& face) {
    const auto* p = reinterpret_cast<const uint8_t*>(Shown(face)) + Shown(face)->biSize;
    return p[0] | (p[1] << 8);
}

// Advances the faces (all seen or all not) until `done` holds, or a generous time passed.
template <typename Done> bool AdvanceUntil(std::vector<PhotoFace>& faces, bool seen, Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
        for (PhotoFace& face : faces) {
            face.Advance(seen);
        }
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

void AdvanceFor(std::vector<PhotoFace>& faces, bool seen, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    AdvanceUntil(faces, seen, [&] { return std::chrono::steady_clock::now() > end; });
}

class PhotoFaces : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 12; ++i) {
            tree.PutPhoto("p" + std::to_string(i) + ".bmp", i);
        }
        ASSERT_TRUE(photos.Start());
        // The faces' clock stands still here, so they must find photos listed at once
        // (a face that finds none waits a second of that clock).
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!photos.ListingDone() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        photos.SetNow(5000);
        for (PhotoFace& face : faces) {
            face.Attach(&photos, nullptr);
        }
    }
    bool AllShowing() {
        return std::all_of(faces.begin(), faces.end(),
                           [](const PhotoFace& f) { return f.Picture(); });
    }
    std::set<int> Colours() {
        std::set<int> colours;
        for (const PhotoFace& face : faces) {
            colours.insert(ColourOf(face));
        }
        return colours;
    }

    PhotoTree tree;
    FolderPhotos photos{{tree.Root(), PhotoOrder::kShuffle, 2}, 3};
    std::vector<PhotoFace> faces = std::vector<PhotoFace>(4);
};

TEST_F(PhotoFaces, FirstPhotosGoUpAtOnceAndLaterOnesOnlyWhileTurnedAway) {
    ASSERT_TRUE(AdvanceUntil(faces, true, [&] { return AllShowing(); }));
    EXPECT_EQ(Colours().size(), faces.size()) << "one photo on two faces";
    const std::set<int> first = Colours();

    // Within the interval nothing changes, seen or not.
    photos.SetNow(5000 + 1999);
    AdvanceFor(faces, false, 200);
    EXPECT_EQ(Colours(), first);

    // Past it, the next photos are decoded, but a face in view keeps its photo...
    photos.SetNow(5000 + 2000);
    AdvanceFor(faces, true, 300);
    EXPECT_EQ(Colours(), first);
    // ...until it turns away.
    ASSERT_TRUE(AdvanceUntil(faces, false, [&] {
        const std::set<int> now = Colours();
        return std::none_of(now.begin(), now.end(), [&](int c) { return first.count(c); });
    }));
    EXPECT_EQ(Colours().size(), faces.size());
}

} // namespace
