#include "SceneFakes.h"
#include "scene/ThreeDObjectList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// An object with a fixed depth that "draws" a fixed box.
class StubObject : public ThreeDObject {
  public:
    StubObject(double depth, RECT box = {}) : m_fixedDepth(depth), m_box(box) {}
    void Update(double time, const Matrix* view, const Matrix* projection) override {
        ThreeDObject::Update(time, view, projection);
        m_depth = m_fixedDepth;
    }
    const RECT* Draw(RastelRegion* region) override { return DrawTracked(region); }
    void SetPrevious(RECT box) { m_previous = box; }

  protected:
    void DrawFaces(RastelRegion*) override {
        if (m_box.right > m_box.left) {
            static_cast<RecordingRenderer&>(GetSceneRenderer()).Touch(m_box);
        }
    }

  private:
    double m_fixedDepth;
    RECT m_box;
};

std::vector<double> DepthsFromHead(const ThreeDObjectList& list) {
    std::vector<double> depths;
    for (ThreeDObject* o = list.GetHead(); o; o = o->GetNext()) {
        depths.push_back(o->GetDepth());
    }
    return depths;
}

void CheckLinks(const ThreeDObjectList& list) {
    ThreeDObject* prev = nullptr;
    for (ThreeDObject* o = list.GetHead(); o; prev = o, o = o->GetNext()) {
        ASSERT_EQ(o->GetPrev(), prev);
    }
    EXPECT_EQ(list.GetTail(), prev);
}

TEST(ThreeDObjectList, OnePassOrdersFarToNear) {
    ThreeDObjectList list;
    for (double depth : {10.0, 30.0, 20.0}) {
        list.AddHead(new StubObject(depth));
    }
    const Matrix identity;
    list.UpdateAll(0, &identity, &identity);
    EXPECT_EQ(DepthsFromHead(list), (std::vector<double>{30, 20, 10}));
    CheckLinks(list);
}

TEST(ThreeDObjectList, EqualAndUndefinedDepthsNeverMove) {
    ThreeDObjectList list;
    StubObject* a = new StubObject(5);
    StubObject* b = new StubObject(5);
    StubObject* c = new StubObject(NAN);
    list.AddHead(c);
    list.AddHead(b);
    list.AddHead(a);
    const Matrix identity;
    for (int frame = 0; frame < 3; ++frame) {
        list.UpdateAll(0, &identity, &identity);
    }
    EXPECT_EQ(list.GetHead(), a);
    EXPECT_EQ(a->GetNext(), b);
    EXPECT_EQ(list.GetTail(), c);
    CheckLinks(list);
}

// An object that takes, at each update, the depth the test has set for the pass.
class DepthObject : public ThreeDObject {
  public:
    void Update(double time, const Matrix* view, const Matrix* projection) override {
        ThreeDObject::Update(time, view, projection);
        m_depth = passDepth;
    }
    double passDepth = 0;
};

// The objects from head to tail, after checking every link both ways, the tail and that
// each of the expected objects is there exactly once.
std::vector<ThreeDObject*> CheckedChain(const ThreeDObjectList& list,
                                        const std::vector<DepthObject*>& objects) {
    std::vector<ThreeDObject*> chain;
    ThreeDObject* prev = nullptr;
    for (ThreeDObject* o = list.GetHead(); o && chain.size() <= objects.size();
         prev = o, o = o->GetNext()) {
        EXPECT_EQ(o->GetPrev(), prev);
        chain.push_back(o);
    }
    EXPECT_EQ(list.GetTail(), prev);
    std::vector<ThreeDObject*> sorted = chain, expected(objects.begin(), objects.end());
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    return chain;
}

// One pass sorts far to near, except that nothing passes an object of undefined depth:
// between two such objects the depths never increase toward the tail.
void CheckDepthOrder(const std::vector<ThreeDObject*>& chain) {
    for (size_t i = 1; i < chain.size(); ++i) {
        const double before = chain[i - 1]->GetDepth(), after = chain[i]->GetDepth();
        if (!std::isnan(before) && !std::isnan(after)) {
            EXPECT_GE(before, after) << "at " << i;
        }
    }
}

TEST(ThreeDObjectList, ListEndsFollowTheObjectsThatLeaveThem) {
    ThreeDObjectList list;
    DepthObject* first = new DepthObject;
    DepthObject* second = new DepthObject;
    list.AddHead(second);
    list.AddHead(first);
    const Matrix identity;
    second->passDepth = 5; // the tail rises
    list.UpdateAll(0, &identity, &identity);
    EXPECT_EQ(list.GetHead(), second);
    EXPECT_EQ(list.GetTail(), first);
    second->passDepth = -1; // the head sinks
    list.UpdateAll(0, &identity, &identity);
    EXPECT_EQ(list.GetHead(), first);
    EXPECT_EQ(list.GetTail(), second);
    CheckedChain(list, {first, second});
}

TEST(ThreeDObjectList, PassesOverRandomDepthsKeepTheChainWhole) {
    std::mt19937 random(20240611);
    const Matrix identity;
    for (int round = 0; round < 400; ++round) {
        ThreeDObjectList list;
        std::vector<DepthObject*> objects(1 + random() % 9);
        for (DepthObject*& object : objects) {
            object = new DepthObject;
            list.AddHead(object);
        }
        // Few distinct values, so ties are common; now and then no depth at all.
        const bool ties = random() % 2 == 0;
        for (int pass = 0; pass < 8; ++pass) {
            const std::vector<ThreeDObject*> before = CheckedChain(list, objects);
            std::vector<bool> wasUndefined;
            for (ThreeDObject* object : before) {
                wasUndefined.push_back(std::isnan(object->GetDepth()));
            }
            for (DepthObject* object : objects) {
                const unsigned pick = random() % 16;
                object->passDepth = pick == 0   ? NAN
                                    : pick == 1 ? -0.0
                                    : ties      ? double(pick % 4)
                                                : std::ldexp(double(random()), -20) - 2000;
            }
            list.UpdateAll(pass, &identity, &identity);
            const std::vector<ThreeDObject*> after = CheckedChain(list, objects);
            if (HasFailure()) {
                return;
            }
            CheckDepthOrder(after);
            // Nothing moves past an object whose depth was undefined already, so one that
            // stays undefined keeps its place.
            for (size_t i = 0; i < before.size(); ++i) {
                if (wasUndefined[i] &&
                    std::isnan(static_cast<DepthObject*>(before[i])->passDepth)) {
                    EXPECT_EQ(after[i], before[i]);
                }
            }
            // With the depths unchanged, a second pass is a fixed point: ties stay in order.
            list.UpdateAll(pass, &identity, &identity);
            EXPECT_EQ(CheckedChain(list, objects), after);
            if (HasFailure()) {
                return;
            }
        }
    }
}

TEST(ThreeDObjectList, DeletingAnObjectUnlinksIt) {
    ThreeDObjectList list;
    list.AddHead(new StubObject(1));
    ThreeDObject* middle = new StubObject(2);
    list.AddHead(middle);
    list.AddHead(new StubObject(3));
    ThreeDObject* head = list.GetHead();
    delete middle;
    EXPECT_EQ(head->GetNext(), list.GetTail());
    EXPECT_EQ(list.GetTail()->GetPrev(), head);
    list.DeleteAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetTail(), nullptr);
}

TEST(BoxEmptiness, FollowsTheZeroAndOrderRules) {
    RECT zero{};
    EXPECT_TRUE(IsEmpty(&zero));
    RECT line{5, 5, 5, 9}; // zero width but not all zeros
    EXPECT_FALSE(IsEmpty(&line));
    RECT inverted{10, 0, 5, 9};
    EXPECT_TRUE(IsEmpty(&inverted));
    EXPECT_EQ(inverted.left, 0);
    EXPECT_EQ(inverted.right, 0);
}

// Runs one frame over objects that draw the given boxes and returns what was copied.
std::vector<RECT> CopiedBoxes(const std::vector<RECT>& boxes) {
    RecordingRenderer renderer;
    RecordingRegion region(&renderer, 100, 100);
    ThreeDObjectList list;
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
        list.AddHead(new StubObject(1, *it));
    }
    const Matrix identity;
    list.UpdateAll(0, &identity, &identity);
    list.EraseAll(&region);
    list.DrawAll(&region);
    return region.blits;
}

bool Same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b);
}

TEST(ThreeDObjectList, MergesOverlappingUpdateBoxesOnly) {
    std::vector<RECT> copied = CopiedBoxes({{0, 0, 10, 10}, {10, 0, 20, 10}});
    ASSERT_EQ(copied.size(), 2u); // touching edges do not intersect
    copied = CopiedBoxes({{0, 0, 10, 10}, {9, 0, 20, 10}});
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_TRUE(Same(copied[0], RECT{0, 0, 20, 10}));
    // The first and third overlap; their union then overlaps the second.
    copied = CopiedBoxes({{0, 0, 10, 10}, {30, 0, 40, 10}, {5, 5, 35, 8}});
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_TRUE(Same(copied[0], RECT{0, 0, 40, 10}));
}

TEST(ThreeDObjectList, ResetRectsClearsAndCopiesTheWholeRegionOnce) {
    RecordingRenderer renderer;
    RecordingRegion region(&renderer, 64, 48);
    ThreeDObjectList list;
    list.AddHead(new StubObject(1));
    list.AddHead(new StubObject(2));
    const Matrix identity;
    list.UpdateAll(0, &identity, &identity);
    list.ResetRects(&region);
    list.EraseAll(&region);
    list.DrawAll(&region);
    ASSERT_EQ(renderer.cleared.size(), 1u);
    EXPECT_TRUE(Same(renderer.cleared[0], RECT{0, 0, 64, 48}));
    ASSERT_EQ(region.blits.size(), 1u);
    EXPECT_TRUE(Same(region.blits[0], RECT{0, 0, 64, 48}));
}

TEST(ThreeDObject, EraseOfNothingLeavesNothingToCopy) {
    RecordingRenderer renderer;
    RecordingRegion region(&renderer, 64, 48);
    StubObject object(1);
    EXPECT_EQ(object.Erase(&region), 0);
    EXPECT_EQ(object.GetUpdateRect(), nullptr);
    object.SetPrevious(RECT{8, 8, 4, 4}); // inverted: emptied, nothing erased
    EXPECT_EQ(object.Erase(&region), 0);
    EXPECT_EQ(object.GetPreviousRect().right, 0);
    EXPECT_TRUE(renderer.cleared.empty());
}

TEST(ThreeDObject, ObjectThatVanishesStillCopiesItsOldBox) {
    RecordingRenderer renderer;
    RecordingRegion region(&renderer, 64, 48);
    ThreeDObjectList list;
    StubObject* object = new StubObject(1);
    list.AddHead(object);
    object->SetPrevious(RECT{});
    const Matrix identity;
    list.UpdateAll(0, &identity, &identity);
    object->SetPrevious(RECT{3, 4, 10, 12}); // what it covered last frame
    list.EraseAll(&region);
    list.DrawAll(&region);
    ASSERT_EQ(region.blits.size(), 1u);
    EXPECT_TRUE(Same(region.blits[0], RECT{3, 4, 10, 12}));
    EXPECT_EQ(object->GetCurrentRect().right, 0);
}

} // namespace
