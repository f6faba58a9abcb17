// The chooser's promises: each order's sequence, no photo twice in a round, never a photo
// that is on a face already, failed photos dropped or put back, one chooser shared by two
// scenes' faces giving them different photos.
#include "import/PhotoChooser.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Names "p00".."pNN", with dates running backwards so that date and name orders differ.
PhotoChooser Filled(PhotoOrder order, uint32_t count, uint32_t seed = 7) {
    PhotoChooser chooser(order, seed);
    for (uint32_t i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%02u", count - 1 - i);
        chooser.Add(name, 1000 + i);
    }
    return chooser;
}

// Takes n photos, handing each back at once (one face changing n times).
std::vector<std::string> Shown(PhotoChooser& chooser, int n) {
    std::vector<std::string> shown;
    for (int k = 0; k < n; ++k) {
        const std::optional<uint32_t> next = chooser.Next();
        if (!next) {
            break;
        }
        shown.push_back(chooser.Name(*next));
        chooser.Release(*next);
    }
    return shown;
}

TEST(PhotoChooser, EachOrderWalksItsSequenceAndRepeatsNothingWithinARound) {
    PhotoChooser byName = Filled(PhotoOrder::kName, 5);
    byName.UseSequence(byName.SortedSequence());
    EXPECT_EQ(Shown(byName, 6),
              (std::vector<std::string>{"p00", "p01", "p02", "p03", "p04", "p00"}));

    PhotoChooser byDate = Filled(PhotoOrder::kDate, 5);
    byDate.UseSequence(byDate.SortedSequence());
    EXPECT_EQ(Shown(byDate, 5), (std::vector<std::string>{"p04", "p03", "p02", "p01", "p00"}));

    for (uint32_t seed : {1u, 2u, 99u}) {
        PhotoChooser shuffled = Filled(PhotoOrder::kShuffle, 50, seed);
        const std::vector<std::string> first = Shown(shuffled, 50);
        EXPECT_EQ(std::set<std::string>(first.begin(), first.end()).size(), 50u) << seed;
        const std::vector<std::string> second = Shown(shuffled, 50);
        EXPECT_EQ(std::set<std::string>(second.begin(), second.end()).size(), 50u) << seed;
        EXPECT_NE(first, second) << "each round is shuffled anew";
    }
}

TEST(PhotoChooser, NameOrderSortedAfterTheListingGoesOnAfterTheLastShown) {
    PhotoChooser chooser = Filled(PhotoOrder::kName, 6); // found p05, p04, ... p00
    EXPECT_EQ(Shown(chooser, 2), (std::vector<std::string>{"p05", "p04"}));
    chooser.UseSequence(chooser.SortedSequence());
    EXPECT_EQ(Shown(chooser, 3), (std::vector<std::string>{"p05", "p00", "p01"}));
}

TEST(PhotoChooser, PhotosOnFacesAreNeverHandedOutAgain) {
    for (const PhotoOrder order : {PhotoOrder::kShuffle, PhotoOrder::kName, PhotoOrder::kDate}) {
        // Two scenes of six faces each ask one chooser; every face changes 40 times.
        PhotoChooser chooser = Filled(order, 20);
        std::vector<uint32_t> faces;
        for (int f = 0; f < 12; ++f) {
            faces.push_back(*chooser.Next());
        }
        for (int step = 0; step < 40 * 12; ++step) {
            std::set<uint32_t> onFaces(faces.begin(), faces.end());
            ASSERT_EQ(onFaces.size(), faces.size()) << "a photo on two faces";
            const std::optional<uint32_t> next = chooser.Next();
            ASSERT_TRUE(next);
            ASSERT_FALSE(onFaces.count(*next));
            uint32_t& face = faces[step % faces.size()];
            chooser.Release(face);
            face = *next;
        }
        // Every photo on a face: nothing more to hand out.
        PhotoChooser small = Filled(order, 3);
        EXPECT_TRUE(small.Next() && small.Next() && small.Next());
        EXPECT_FALSE(small.Next());
    }
}

TEST(PhotoChooser, DroppedPhotosNeverComeBackAndPutBackOnesDo) {
    PhotoChooser chooser = Filled(PhotoOrder::kShuffle, 4);
    const uint32_t bad = *chooser.Next();
    chooser.Drop(bad);
    const uint32_t away = *chooser.Next();
    chooser.PutBack(away); // its file could not be opened just now
    std::set<uint32_t> seen;
    for (int k = 0; k < 30; ++k) {
        const uint32_t next = *chooser.Next();
        EXPECT_NE(next, bad);
        seen.insert(next);
        chooser.Release(next);
    }
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen.count(away));

    PhotoChooser none = Filled(PhotoOrder::kName, 2);
    none.Drop(0);
    none.Drop(1);
    EXPECT_FALSE(none.Next());
    EXPECT_FALSE(PhotoChooser(PhotoOrder::kShuffle, 1).Next()) << "nothing listed yet";
}

TEST(PhotoChooser, TheListOfNamesIsCapped) {
    PhotoChooser chooser(PhotoOrder::kShuffle, 3);
    for (uint32_t i = 0; i < kMaxPhotoNames; ++i) {
        ASSERT_TRUE(chooser.Add("x", i));
    }
    EXPECT_FALSE(chooser.Add("one too many", 0));
    EXPECT_EQ(chooser.Count(), kMaxPhotoNames);
}

} // namespace
