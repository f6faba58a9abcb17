#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "import/StillPicture.h"
#include "import/VideoPicture.h"
#include "PictureSourceTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace {
// A stand-in video library: streams are described by the test before they are opened,
// frames are distinct headers whose width is the frame index plus one.
struct FakeStream {
    AviStreamInfo info{};
    int getters = 0;
    bool released = false;
};
struct FakeLibrary {
    std::map<std::string, AviStreamInfo> files; // what AVIStreamOpenFromFile can open
    bool failGetterOpen = false;
    int failFrame = -1; // this index is never delivered
    int inits = 0, exits = 0, releases = 0, getterCloses = 0, frameRequests = 0;
    BITMAPINFOHEADER frames[64]{};
};
FakeLibrary* g_fake = nullptr;

void WINAPI FakeInit() {
    ++g_fake->inits;
}
void WINAPI FakeExit() {
    ++g_fake->exits;
}
LONG WINAPI FakeOpen(AviStreamHandle* stream, LPCSTR file, DWORD type, LONG number, UINT mode,
                     void*) {
    *stream = nullptr;
    auto it = g_fake->files.find(file);
    if (it == g_fake->files.end() || type != kStreamTypeVideo || number != 0 ||
        mode != kOpenShareDenyWrite) {
        return -1;
    }
    *stream = new FakeStream{it->second};
    return 0;
}
ULONG WINAPI FakeRelease(AviStreamHandle stream) {
    ++g_fake->releases;
    delete static_cast<FakeStream*>(stream);
    return 0;
}
LONG WINAPI FakeInfo(AviStreamHandle stream, AviStreamInfo* info, LONG size) {
    EXPECT_EQ(size, 140);
    *info = static_cast<FakeStream*>(stream)->info;
    return 0;
}
AviFrameGetter WINAPI FakeGetterOpen(AviStreamHandle stream, BITMAPINFOHEADER* wanted) {
    EXPECT_EQ(wanted, nullptr);
    return g_fake->failGetterOpen ? nullptr : stream;
}
LONG WINAPI FakeGetterClose(AviFrameGetter) {
    ++g_fake->getterCloses;
    return 0;
}
LPVOID WINAPI FakeFrame(AviFrameGetter, LONG position) {
    ++g_fake->frameRequests;
    if (position < 0 || position >= 64 || position == g_fake->failFrame) {
        return nullptr;
    }
    g_fake->frames[position].biWidth = position + 1;
    return &g_fake->frames[position];
}
constexpr VideoEntryPoints kFakeTable{FakeInit, FakeExit,       FakeOpen,        FakeRelease,
                                      FakeInfo, FakeGetterOpen, FakeGetterClose, FakeFrame};

AviStreamInfo Clip(DWORD scale, DWORD rate, DWORD length) {
    AviStreamInfo info{};
    info.fccType = kStreamTypeVideo;
    info.dwScale = scale;
    info.dwRate = rate;
    info.dwLength = length;
    return info;
}

// The frame a source shows now, as the fake's frame index; -1 for the default picture.
int ShownFrame(PictureSource* source) {
    const BITMAPINFOHEADER* bitmap = GetPictureBitmap(source);
    return bitmap == GetDefaultPicture() ? -1 : bitmap->biWidth - 1;
}

class PictureSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadDefaultPicture(kDefaultPictureId); // false after the first test: already loaded
        g_fake = &m_fake;
        SetVideoLibrary(&kFakeTable);
        StartVideoSupport(1);
        ResetVideoTimeOrigin();
    }
    void TearDown() override {
        DestroyAllPictures();
        StopVideoSupport();
        SetVideoLibrary(nullptr);
        EXPECT_EQ(FirstPictureSource(), nullptr);
        EXPECT_TRUE(m_dir.Entries().empty());
    }
    FakeLibrary m_fake;
    ScratchDir m_dir;
};
} // namespace

TEST_F(PictureSourceTest, DefaultPictureIsTheBuiltInBitmap) {
    const BITMAPINFOHEADER* picture = GetDefaultPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(LoadDefaultPicture(kDefaultPictureId)); // already set
    EXPECT_EQ(picture->biSize, 40u);
    EXPECT_EQ(picture->biWidth, 200);
    EXPECT_EQ(picture->biHeight, 200);
    EXPECT_EQ(picture->biBitCount, 8);
    EXPECT_EQ(FindBitmapResource(141), nullptr);

    // The resource file of the Windows build holds the same packed picture.
    std::string source = __FILE__;
    source.resize(source.rfind("/tests/"));
    std::ifstream file(source + "/res/picture140.bmp", std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), {});
    ASSERT_EQ(bytes.size(), 14 + kDefaultPictureBytes);
    EXPECT_EQ(std::memcmp(bytes.data() + 14, picture, kDefaultPictureBytes), 0);
}

TEST_F(PictureSourceTest, MissingSourceOrPictureShowsDefault) {
    EXPECT_EQ(GetPictureBitmap(nullptr), GetDefaultPicture());
    auto* empty = new StillPicture("nothing", nullptr);
    EXPECT_EQ(GetPictureBitmap(empty), GetDefaultPicture());
    ReleasePicture(empty);
    ReleasePicture(nullptr);
    SetPictureTime(1234); // an empty list: nothing to do
}

TEST_F(PictureSourceTest, SameNameSharesOneSourceUntilLastRelease) {
    m_fake.files["clip"] = Clip(1, 15, 30);
    PictureSource* a = OpenVideo("clip");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(OpenVideo("clip"), a);
    // The look-up does not tell the kinds apart.
    EXPECT_EQ(OpenStillPicture("clip"), a);
    EXPECT_EQ(a->m_refCount, 3);
    EXPECT_EQ(OpenVideo("Clip"), nullptr); // names compare exactly
    ReleasePicture(a);
    ReleasePicture(a);
    EXPECT_EQ(FirstPictureSource(), a);
    EXPECT_EQ(m_fake.releases, 0);
    ReleasePicture(a);
    EXPECT_EQ(FirstPictureSource(), nullptr);
    EXPECT_EQ(m_fake.getterCloses, 1);
    EXPECT_EQ(m_fake.releases, 1);
}

TEST_F(PictureSourceTest, ListIsNewestFirstAndUnlinksFromAnyPosition) {
    for (const char* name : {"a", "b", "c"}) {
        m_fake.files[name] = Clip(1, 10, 5);
    }
    PictureSource* a = OpenVideo("a");
    PictureSource* b = OpenVideo("b");
    PictureSource* c = OpenVideo("c");
    EXPECT_EQ(FirstPictureSource(), c);
    EXPECT_EQ(c->m_next, b);
    ReleasePicture(b); // from the middle
    EXPECT_EQ(c->m_next, a);
    EXPECT_EQ(a->m_previous, c);
    ReleasePicture(c); // the head
    EXPECT_EQ(FirstPictureSource(), a);
    EXPECT_EQ(a->m_previous, nullptr);
    OpenVideo("a"); // two references: destroyed anyway
    DestroyAllPictures();
    EXPECT_EQ(FirstPictureSource(), nullptr);
    DestroyAllPictures();
}

TEST_F(PictureSourceTest, VideoLoopsAtItsFrameRateFromTheSharedOrigin) {
    m_fake.files["first"] = Clip(1, 15, 30); // 15 frames per second, 2 seconds
    m_fake.files["second"] = Clip(1, 15, 30);
    PictureSource* first = OpenVideo("first");
    EXPECT_EQ(ShownFrame(first), -1); // no time yet
    SetPictureTime(50000);
    EXPECT_EQ(ShownFrame(first), 0);
    SetPictureTime(51000);
    EXPECT_EQ(ShownFrame(first), 15);
    EXPECT_EQ(first->m_currentTime, 51000u);
    // Opened later, the second video still counts from the first time any video was given.
    PictureSource* second = OpenVideo("second");
    SetPictureTime(51000);
    EXPECT_EQ(ShownFrame(second), 15);
    SetPictureTime(52000);
    EXPECT_EQ(ShownFrame(first), 0);
    EXPECT_EQ(ShownFrame(second), 0);
    SetPictureTime(52999);
    EXPECT_EQ(ShownFrame(first), 14);
}

TEST_F(PictureSourceTest, ElapsedTimeSurvivesTickCounterWrap) {
    m_fake.files["clip"] = Clip(1, 15, 30);
    PictureSource* clip = OpenVideo("clip");
    SetPictureTime(0xFFFFFF00u);
    SetPictureTime(0x00000300u); // 1,024 ms later
    EXPECT_EQ(ShownFrame(clip), 15);
}

TEST_F(PictureSourceTest, FrameIsDecodedOncePerIndexAndRetriedWhenMissing) {
    m_fake.files["clip"] = Clip(1, 1000, 10); // one frame per millisecond
    m_fake.failFrame = 3;
    PictureSource* clip = OpenVideo("clip");
    SetPictureTime(100);
    GetPictureBitmap(clip);
    GetPictureBitmap(clip);
    EXPECT_EQ(m_fake.frameRequests, 1);
    SetPictureTime(100); // same index: the frame is kept
    GetPictureBitmap(clip);
    EXPECT_EQ(m_fake.frameRequests, 1);
    SetPictureTime(103);
    EXPECT_EQ(ShownFrame(clip), -1);
    EXPECT_EQ(ShownFrame(clip), -1);
    EXPECT_EQ(m_fake.frameRequests, 3);
}

TEST_F(PictureSourceTest, DegenerateStreamsShowFrameZero) {
    m_fake.files["no-rate"] = Clip(1, 0, 30);
    m_fake.files["no-scale"] = Clip(0, 15, 30);
    m_fake.files["no-length"] = Clip(1, 15, 0);
    PictureSource* sources[] = {OpenVideo("no-rate"), OpenVideo("no-scale"),
                                OpenVideo("no-length")};
    SetPictureTime(1);
    for (DWORD t : {1u, 2001u, 0xF0000000u}) {
        SetPictureTime(t);
        for (PictureSource* s : sources) {
            EXPECT_EQ(static_cast<VideoPicture*>(s)->m_currentFrameIndex, 0) << s->m_fileName;
        }
    }
}

TEST_F(PictureSourceTest, VideoOpeningFailures) {
    m_fake.files["clip"] = Clip(1, 15, 30);
    EXPECT_EQ(OpenVideo("unknown"), nullptr);
    m_fake.failGetterOpen = true;
    EXPECT_EQ(OpenVideo("clip"), nullptr);
    EXPECT_EQ(m_fake.releases, 1); // the stream is not kept
    EXPECT_EQ(OpenVideo(nullptr), nullptr);
}

TEST_F(PictureSourceTest, VideoSupportNeedsTheFlagAndAllEntryPoints) {
    m_fake.files["clip"] = Clip(1, 15, 30);
    EXPECT_EQ(m_fake.inits, 1);
    StopVideoSupport();
    EXPECT_EQ(m_fake.exits, 1);
    StopVideoSupport();
    EXPECT_EQ(m_fake.exits, 1);
    EXPECT_EQ(StartVideoSupport(0), 1);
    EXPECT_EQ(OpenVideo("clip"), nullptr);

    VideoEntryPoints partial = kFakeTable;
    partial.AVIStreamGetFrame = nullptr;
    SetVideoLibrary(&partial);
    EXPECT_EQ(StartVideoSupport(1), 1);
    EXPECT_FALSE(IsVideoAvailable());
    EXPECT_EQ(OpenVideo("clip"), nullptr);
    EXPECT_EQ(m_fake.inits, 1);
}

TEST_F(PictureSourceTest, StillPictureIsImportedOnceAndShared) {
    const std::string path = m_dir.Write("red.bmp", MakeBmp24(3, 2, 0, 0, 255));
    PictureSource* a = OpenStillPicture(path.c_str());
    ASSERT_NE(a, nullptr);
    const BITMAPINFOHEADER* bitmap = GetPictureBitmap(a);
    ASSERT_NE(bitmap, GetDefaultPicture());
    EXPECT_EQ(bitmap->biWidth, 3);
    EXPECT_EQ(bitmap->biHeight, 2);
    m_dir.Remove("red.bmp");
    EXPECT_EQ(OpenStillPicture(path.c_str()), a); // shared by name, not read again
    ReleasePicture(a);
    ReleasePicture(a);

    const std::string junk = m_dir.Write("junk.bin", {1, 2, 3, 4, 5});
    EXPECT_EQ(OpenStillPicture(junk.c_str()), nullptr);
    EXPECT_EQ(OpenStillPicture(m_dir.File("missing.bmp").c_str()), nullptr);
    m_dir.Remove("junk.bin");
}
