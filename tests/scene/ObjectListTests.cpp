#include "SceneFakes.h"
#include "scene/ThreeDObjectList.h"

#include <gtest/gtest.h>

#include <cmath>
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
        if (m_box.right > m_box.left)
            static_cast<RecordingRenderer&>(GetSceneRenderer()).Touch(m_box);
    }

  private:
    double m_fixedDepth;
    RECT m_box;
};

std::vector<double> DepthsFromHead(const ThreeDObjectList& list) {
    std::vector<double> depths;
    for (ThreeDObject* o = list.GetHead(); o; o = o->GetNext())
        depths.push_back(o->GetDepth());
    return depths;
}

void CheckLinks(const ThreeDObjectList& list) {
    ThreeDObject* prev = nullptr;
    for (ThreeDObject* o = list.GetHead(); o; prev = o, o = o->GetNext())
        ASSERT_EQ(o->GetPrev(), prev);
    EXPECT_EQ(list.GetTail(), prev);
}

TEST(ThreeDObjectList, OnePassOrdersFarToNear) {
    ThreeDObjectList list;
    for (double depth : {10.0, 30.0, 20.0})
        list.AddHead(new StubObject(depth));
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
    for (int frame = 0; frame < 3; ++frame)
        list.UpdateAll(0, &identity, &identity);
    EXPECT_EQ(list.GetHead(), a);
    EXPECT_EQ(a->GetNext(), b);
    EXPECT_EQ(list.GetTail(), c);
    CheckLinks(list);
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
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it)
        list.AddHead(new StubObject(1, *it));
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
