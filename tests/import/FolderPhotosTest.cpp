// The folder source with its worker: photos come decoded, different for every request,
// hostile files are passed over, a folder that goes leaves nothing broken, and the window
// thread's side never waits long, closing included.
#include "PhotoFolderTestSupport.h"

#include "import/FolderPhotos.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Asks and collects until `count` photos came, or a generous time passed; returns their
// first pixel's blue and green bytes (the photo's index), releasing none.
std::vector<int> Collect(FolderPhotos& photos, size_t count, std::vector<uint32_t>* names = nullptr,
                         int seconds = 20) {
    std::vector<int> indices;
    std::vector<uint32_t> tickets;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (indices.size() < count && Clock::now() < end) {
        if (tickets.size() + indices.size() < count) {
            if (const uint32_t ticket = photos.Request()) {
                tickets.push_back(ticket);
            }
        }
        for (size_t i = 0; i < tickets.size();) {
            PackedPicture picture;
            uint32_t name = 0;
            const FolderPhotos::Outcome outcome = photos.Collect(tickets[i], picture, name);
            if (outcome == FolderPhotos::Outcome::kWaiting) {
                ++i;
                continue;
            }
            if (outcome == FolderPhotos::Outcome::kReady) {
                const uint8_t* pixel =
                    reinterpret_cast<const uint8_t*>(picture.get()) + picture->biSize;
                indices.push_back(pixel[0] | (pixel[1] << 8));
                if (names) {
                    names->push_back(name);
                }
            }
            tickets.erase(tickets.begin() + static_cast<long>(i));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return indices;
}

TEST(FolderPhotos, GivesDifferentDecodedPhotosAndPassesOverHostileFiles) {
    PhotoTree tree;
    for (int i = 0; i < 30; ++i) {
        tree.PutPhoto("sub" + std::to_string(i % 3) + "/p" + std::to_string(i) + ".bmp", i);
    }
    tree.Put("broken.jpg", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0xFF, 0xFF});
    tree.Put("empty.png", {});
    tree.Put("text.gif", {'h', 'e', 'l', 'l', 'o'});
    FolderPhotos photos({tree.Root(), PhotoOrder::kShuffle, 1}, 5);
    ASSERT_TRUE(photos.Start());
    std::vector<uint32_t> names;
    const std::vector<int> shown = Collect(photos, 30, &names);
    ASSERT_EQ(shown.size(), 30u);
    EXPECT_EQ(std::set<int>(shown.begin(), shown.end()).size(), 30u) << "a photo came twice";
    // All 30 are on faces: the three hostile files were tried and dropped, none is left.
    EXPECT_EQ(photos.Request(), 0u);
    photos.Release(names[0]);
    EXPECT_EQ(Collect(photos, 1), std::vector<int>{shown[0]});
}

TEST(FolderPhotos, AFolderOfOnlyHostileFilesOrNoneGivesNothingAndClosesAtOnce) {
    PhotoTree tree;
    for (int i = 0; i < 20; ++i) {
        tree.Put("bad" + std::to_string(i) + ".jpg", std::vector<uint8_t>(100 + i, uint8_t(i)));
    }
    for (const std::string& root : {tree.Root(), tree.Root() + "/gone"}) {
        auto photos =
            std::make_unique<FolderPhotos>(PhotoFolderSetting{root, PhotoOrder::kName, 1}, 1);
        ASSERT_TRUE(photos->Start());
        EXPECT_TRUE(Collect(*photos, 1, nullptr, 2).empty()) << root;
        const auto start = Clock::now();
        photos.reset();
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(250));
    }
}

TEST(FolderPhotos, APhotoWhoseFolderWentIsPutBackAndShownOnceItReturns) {
    PhotoTree tree;
    tree.PutPhoto("only.bmp", 7);
    FolderPhotos photos({tree.Root(), PhotoOrder::kShuffle, 1}, 1);
    ASSERT_TRUE(photos.Start());
    const auto end = Clock::now() + std::chrono::seconds(20);
    while (!photos.ListingDone() && Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(photos.Listed(), 1u);
    const std::string moved = tree.Root() + "-away";
    std::filesystem::rename(tree.Root(), moved);
    EXPECT_TRUE(Collect(photos, 1, nullptr, 1).empty());
    std::filesystem::rename(moved, tree.Root());
    EXPECT_EQ(Collect(photos, 1), std::vector<int>{7});
}

} // namespace
