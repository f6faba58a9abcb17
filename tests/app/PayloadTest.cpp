#include "app/CubeSettingsDlg.h"
#include "app/Payload.h"
#include "make/PayloadExtensionWriter.h"
#include "make/PayloadWriter.h"
#include "../import/AviTestSupport.h"
#include "../import/GifFlood.h"
#include "PayloadTestSupport.h"
#include "import/AnimatedGifPicture.h"
#include "import/PictureSource.h"
#include "import/StillPicture.h"
#include "import/VideoPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
class PayloadTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::SetTempPathOverride(m_temp.Path().c_str()); }
    void TearDown() override {
        platform::SetTempPathOverride(nullptr);
        platform::SetModuleFileNameOverride(nullptr);
        unlink(Saver().c_str());
        EXPECT_TRUE(m_temp.Entries().empty()) << "temporary files left behind";
        EXPECT_TRUE(m_saverDir.Entries().empty());
    }
    std::string Saver() const { return m_saverDir.File("saver.scr"); }
    PayloadContents Read(const Bytes& image) {
        WriteFileBytes(Saver(), image);
        PayloadContents contents;
        ReadPayload(Saver().c_str(), contents);
        return contents;
    }
    static int FilesMade(const PayloadContents& c) {
        return static_cast<int>(std::count_if(std::begin(c.faceFiles), std::end(c.faceFiles),
                                              [](const std::string& n) { return !n.empty(); }));
    }
    static void ExpectDefaults(const PayloadContents& c) {
        EXPECT_FALSE(c.present);
        EXPECT_TRUE(std::equal(std::begin(c.settings), std::end(c.settings), kSettingDefaults));
        EXPECT_EQ(FilesMade(c), 0);
    }

    TempFolder m_saverDir;
    TempFolder m_temp; // stands in for the system's temporary folder
};

const char kExample[] = "1,3,1000,1250,0,10,1000,300,500";
} // namespace

// Empty entries are empty faces: nothing to hold and no file written for them.
TEST_F(PayloadTest, ExampleGivesSettingsAndSixEmptyFacesWithoutFiles) {
    PayloadContents c = Read(PayloadBuilder().Magic().Text(kExample).EmptyFaces(6).Finish());
    ASSERT_TRUE(c.present);
    EXPECT_TRUE(c.textTerminated);
    EXPECT_EQ(c.settingsRead, 9);
    const uint32_t expected[9] = {1, 3, 1000, 1250, 0, 10, 1000, 300, 500};
    EXPECT_TRUE(std::equal(std::begin(c.settings), std::end(c.settings), expected));
    EXPECT_TRUE(m_temp.Entries().empty());
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        EXPECT_EQ(c.faceStates[i], FaceEntryState::kInMemory);
        EXPECT_TRUE(c.faceFiles[i].empty());
        EXPECT_TRUE(c.faceBytes[i].empty());
    }
}

TEST_F(PayloadTest, SettingsObjectReadsItsOwnFileAndDeletesFacesAtTheEnd) {
    WriteFileBytes(Saver(), PayloadBuilder().Magic().Text(kExample).EmptyFaces(6).Finish());
    platform::SetModuleFileNameOverride(Saver().c_str());
    auto settings = std::make_unique<CubeSettingsDlg>(nullptr, nullptr);
    EXPECT_EQ(settings->GetMotionStyle(), 1);
    EXPECT_EQ(settings->GetCubeCount(), 3);
    EXPECT_EQ(settings->GetBoxCount(), 10);
    EXPECT_DOUBLE_EQ(settings->GetCubeSize(), 1.25);
    EXPECT_DOUBLE_EQ(settings->GetBoxSize(), 0.3);
    EXPECT_EQ(settings->GetRegionOption(), 0);
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        EXPECT_TRUE(settings->GetFaceFileName(i).empty());
        EXPECT_EQ(settings->GetFacePicture(i), nullptr); // an empty face is no picture
    }
    settings.reset();
}

// Pictures open from the payload's bytes and write no file; a video's bytes go to a file
// the video reader opens by name, which natively is removed as soon as it is open, so that
// a saver killed at any moment leaves nothing behind.
TEST_F(PayloadTest, PicturesOpenFromMemoryAndOnlyAVideoTouchesTheTemporaryFolder) {
    avitest::ClipRecipe clip;
    for (int f = 0; f < 2; ++f) {
        clip.frames.push_back(avitest::FrameBytes(f, 2, 9));
    }
    importtest::FloodFrame small;
    small.width = small.height = 2;
    const Bytes moving = importtest::MakeFloodGif(2, 2, {small, small});
    const Bytes still = importtest::MakeFloodGif(2, 2, {small});
    const Bytes junk(100, 0x61);
    WriteFileBytes(Saver(), PayloadBuilder()
                                .Magic()
                                .Text(kExample)
                                .Face(0, moving)
                                .Face(0, still)
                                .Face(0, avitest::MakeAvi(clip))
                                .Face(0, junk)
                                .EmptyFaces(2)
                                .Finish());
    platform::SetModuleFileNameOverride(Saver().c_str());
    SetVideoLibrary(nullptr);
    StartVideoSupport(1);
    {
        CubeSettingsDlg settings(nullptr, nullptr);
        EXPECT_NE(dynamic_cast<AnimatedGifPicture*>(settings.GetFacePicture(0)), nullptr);
        EXPECT_NE(dynamic_cast<StillPicture*>(settings.GetFacePicture(1)), nullptr);
        EXPECT_NE(dynamic_cast<VideoPicture*>(settings.GetFacePicture(2)), nullptr);
        EXPECT_EQ(settings.GetFacePicture(3), nullptr); // neither: the default picture
        EXPECT_TRUE(m_temp.Entries().empty()) << "a face file outlives its opening";
        for (int i = 0; i < kPayloadFaceCount; ++i) {
            EXPECT_TRUE(settings.GetFaceFileName(i).empty()) << i;
        }
        // The clip plays from the open file although its name is gone.
        ResetVideoTimeOrigin();
        settings.GetFacePicture(2)->SetTime(1000);
        EXPECT_NE(settings.GetFacePicture(2)->GetBitmap(), nullptr);
    }
    // The same faces given as bytes (the maker's preview): opened alike, and the video's
    // file is the object's own.
    PayloadContents given;
    given.faceBytes[0] = moving;
    given.faceBytes[1] = avitest::MakeAvi(clip);
    PictureSource* const before = FirstPictureSource();
    {
        CubeSettingsDlg preview(given);
        EXPECT_NE(dynamic_cast<AnimatedGifPicture*>(preview.GetFacePicture(0)), nullptr);
        EXPECT_NE(dynamic_cast<VideoPicture*>(preview.GetFacePicture(1)), nullptr);
    }
    EXPECT_EQ(FirstPictureSource(), before); // the preview released its sources
    DestroyAllPictures();
    StopVideoSupport();
}

TEST_F(PayloadTest, WithoutPayloadTheDefaultsHold) {
    WriteFileBytes(Saver(), Bytes{'M', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    platform::SetModuleFileNameOverride(Saver().c_str());
    CubeSettingsDlg settings(nullptr, nullptr);
    const SceneSettings s = settings.GetSceneSettings();
    EXPECT_EQ(s.motionStyle, 0);
    EXPECT_EQ(s.cubeCount, 2);
    EXPECT_EQ(s.boxCount, 10);
    EXPECT_DOUBLE_EQ(s.cubeSpeed, 1.0);
    EXPECT_DOUBLE_EQ(s.cubeSize, 1.25);
    EXPECT_DOUBLE_EQ(s.boxSpeed, 1.0);
    EXPECT_DOUBLE_EQ(s.boxSize, 0.3);
    EXPECT_DOUBLE_EQ(s.boxPhaseStep, 0.5);
    EXPECT_EQ(s.regionOption, 0);
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        EXPECT_EQ(s.pictures[i], nullptr);
        EXPECT_EQ(s.faceModes[i], 0);
    }
    platform::SetModuleFileNameOverride(m_saverDir.File("missing.scr").c_str());
    CubeSettingsDlg unreadable(nullptr, nullptr);
    EXPECT_EQ(unreadable.GetBoxCount(), 10);
}

TEST_F(PayloadTest, ShortTextKeepsPresetsForTheRest) {
    WriteFileBytes(Saver(),
                   PayloadBuilder().Magic().Text("2, 0,2000,1500,1,-3").EmptyFaces(6).Finish());
    platform::SetModuleFileNameOverride(Saver().c_str());
    CubeSettingsDlg settings(nullptr, nullptr);
    EXPECT_EQ(settings.GetMotionStyle(), 2);
    EXPECT_EQ(settings.GetCubeCount(), 0);
    EXPECT_DOUBLE_EQ(settings.GetCubeSpeed(), 2.0);
    EXPECT_EQ(settings.GetRegionOption(), 1);
    EXPECT_EQ(settings.GetBoxCount(), -3);
    EXPECT_DOUBLE_EQ(settings.GetBoxSpeed(), 1.0);
    EXPECT_DOUBLE_EQ(settings.GetBoxSize(), 0.3);
    EXPECT_DOUBLE_EQ(settings.GetBoxPhaseStep(), 0.5);
}

TEST_F(PayloadTest, SettingsTextParsesLikeTheScanFormat) {
    uint32_t v[9] = {};
    EXPECT_EQ(ParseSettingsText(" 7,\t+8,-1,4294967296,12", 23, v), 5);
    EXPECT_EQ(v[0], 7u);
    EXPECT_EQ(v[1], 8u);
    EXPECT_EQ(v[2], 4294967295u);
    EXPECT_EQ(v[3], 0u); // wraps modulo 2^32
    EXPECT_EQ(v[4], 12u);
    EXPECT_EQ(ParseSettingsText("1 ,2", 4, v), 1); // nothing between a number and its comma
    EXPECT_EQ(ParseSettingsText("x", 1, v), 0);
    EXPECT_EQ(ParseSettingsText("1,2,3,4,5,6,7,8,9,10", 20, v), 9);
    EXPECT_EQ(v[8], 9u);
    EXPECT_EQ(ParseSettingsText("12345", 2, v), 1); // stops at the length
    EXPECT_EQ(v[0], 12u);
}

TEST_F(PayloadTest, LargeFacesAreCopiedExactly) {
    Bytes a(32768), b(32769);
    for (size_t i = 0; i < b.size(); ++i) {
        b[i] = static_cast<uint8_t>(i * 7 + i / 251);
    }
    std::copy(b.begin(), b.begin() + 32768, a.begin());
    PayloadContents c =
        Read(PayloadBuilder().Magic().Text(kExample).Face(1, a).Face(0, b).EmptyFaces(4).Finish());
    EXPECT_EQ(ReadFileBytes(c.faceFiles[0]), a);
    EXPECT_EQ(ReadFileBytes(c.faceFiles[1]), b);
    EXPECT_EQ(c.faceModes[0], 1);
    EXPECT_EQ(c.faceLengths[1], 32769u);
    DeletePayloadFiles(c);
}

TEST_F(PayloadTest, BadOffsetOrMagicGivesDefaults) {
    const Bytes sound = PayloadBuilder().Magic().Text(kExample).EmptyFaces(6).Finish();
    const uint32_t size = static_cast<uint32_t>(sound.size());
    // At the size, past it, at the offset's own four bytes, too close to them for the magic.
    for (uint32_t offset : {size, size + 1, 0xFFFFFFFFu, size - 4, size - 11, 0u}) {
        Bytes image = sound;
        std::memcpy(image.data() + size - 4, &offset, 4);
        ExpectDefaults(Read(image));
    }
    Bytes badMagic = sound;
    badMagic[10] ^= 1;
    ExpectDefaults(Read(badMagic));
    ExpectDefaults(Read(Bytes{1, 2, 3}));
    ExpectDefaults(Read(Bytes{}));
}

TEST_F(PayloadTest, TextWithoutItsZeroReadsNoFaces) {
    PayloadBuilder overlong;
    overlong.Magic();
    const std::string text = std::string("3,4,") + std::string(40000, ' ');
    overlong.image.insert(overlong.image.end(), text.begin(), text.end());
    PayloadContents c = Read(overlong.EmptyFaces(6).Finish());
    EXPECT_TRUE(c.present);
    EXPECT_FALSE(c.textTerminated);
    EXPECT_EQ(c.settingsRead, 2);
    EXPECT_EQ(c.settings[kCubeCount], 4u);
    EXPECT_EQ(FilesMade(c), 0);

    PayloadBuilder unterminated;
    unterminated.Magic();
    unterminated.image.insert(unterminated.image.end(), {'5', ',', '6'});
    c = Read(unterminated.Finish());
    EXPECT_TRUE(c.present);
    EXPECT_EQ(c.settingsRead, 2);
    EXPECT_EQ(c.settings[kMotionStyle], 5u);
    EXPECT_EQ(FilesMade(c), 0);
}

// Cutting the payload after every byte: the faces wholly before the cut have their files,
// the others none, and the mode byte is known once an entry's first five bytes are there.
TEST_F(PayloadTest, PayloadCutShortAnywhereGivesTheCompleteFacesOnly) {
    const Bytes faces[6] = {{1, 2, 3}, {}, {4, 5, 6, 7, 8}, {9}, {10, 11}, {12, 13, 14, 15}};
    PayloadBuilder whole;
    whole.Magic().Text(kExample);
    const size_t textEnd = whole.image.size();
    size_t entryEnd[6];
    for (int i = 0; i < 6; ++i) {
        whole.Face(static_cast<uint8_t>(i + 1), faces[i]);
        entryEnd[i] = whole.image.size();
    }
    for (size_t cut = textEnd; cut <= entryEnd[5]; ++cut) {
        PayloadBuilder partial = whole;
        partial.image.resize(cut);
        PayloadContents c = Read(partial.Finish());
        size_t entryStart = textEnd;
        for (int i = 0; i < 6; ++i) {
            const bool complete = entryEnd[i] <= cut;
            // An empty entry is an empty face without a file.
            EXPECT_EQ(!c.faceFiles[i].empty(), complete && !faces[i].empty())
                << "cut " << cut << " face " << i;
            if (complete && !faces[i].empty()) {
                EXPECT_EQ(ReadFileBytes(c.faceFiles[i]), faces[i]);
            }
            EXPECT_EQ(c.faceModes[i], entryStart + 5 <= cut ? i + 1 : 0);
            entryStart = entryEnd[i];
        }
        DeletePayloadFiles(c);
    }
}

TEST_F(PayloadTest, LengthRunningPastTheEndStopsTheFaces) {
    PayloadBuilder b;
    b.Magic().Text(kExample).Face(0, {1, 2});
    b.image.push_back(1);
    AppendU32(b.image, 0xFFFFFFF0u); // claims nearly 4 GiB
    b.image.insert(b.image.end(), 100, 0xAB);
    PayloadContents c = Read(b.Finish());
    EXPECT_EQ(FilesMade(c), 1);
    EXPECT_EQ(c.faceStates[1], FaceEntryState::kNotInPayload);
    DeletePayloadFiles(c);
}

// An offset may point at a second, smaller payload hidden inside the first one's face data:
// reading starts there and stays inside the file.
TEST_F(PayloadTest, OffsetIntoThePayloadItself) {
    PayloadBuilder inner;
    inner.image.clear();
    inner.Magic().Text("3,7").Face(1, {42});
    PayloadBuilder outer;
    outer.Magic().Text(kExample).Face(0, inner.image).EmptyFaces(5);
    outer.offset = 10 + 8 + sizeof kExample + 5;
    PayloadContents c = Read(outer.Finish());
    ASSERT_TRUE(c.present);
    EXPECT_EQ(c.settings[kMotionStyle], 3u);
    EXPECT_EQ(c.settings[kCubeCount], 7u);
    EXPECT_EQ(ReadFileBytes(c.faceFiles[0]), Bytes{42});
    // The outer entries that follow are read as inner faces 1 to 5: all present, and as
    // empty faces without files.
    EXPECT_EQ(FilesMade(c), 1);
    EXPECT_EQ(
        std::count(std::begin(c.faceStates), std::end(c.faceStates), FaceEntryState::kNotInPayload),
        0);
    DeletePayloadFiles(c);
}

TEST_F(PayloadTest, UnwritableTemporaryFolderSkipsEachFace) {
    platform::SetTempPathOverride(m_saverDir.File("no-such-folder").c_str());
    PayloadContents c = Read(PayloadBuilder()
                                 .Magic()
                                 .Text(kExample)
                                 .Face(1, {1, 2, 3})
                                 .EmptyFaces(4)
                                 .Face(2, {4})
                                 .Finish());
    EXPECT_EQ(FilesMade(c), 0);
    EXPECT_EQ(c.faceStates[0], FaceEntryState::kNoTempFile);
    EXPECT_EQ(c.faceModes[5], 2); // the entries were still walked
    EXPECT_EQ(c.faceStates[5], FaceEntryState::kNoTempFile);
}

TEST_F(PayloadTest, WriterReplacesInsteadOfStacking) {
    const Bytes exe{'M', 'Z', 9, 9, 9};
    std::vector<BYTE> image(exe.begin(), exe.end());
    EXPECT_EQ(PayloadOffset(image), exe.size());
    PayloadFace faces[6];
    faces[2].mode = 1;
    faces[2].data = {7, 8, 9};
    const uint32_t first[9] = {1, 3, 1000, 1250, 0, 10, 1000, 300, 500};
    ASSERT_TRUE(WritePayload(image, first, faces));
    const size_t firstSize = image.size();
    EXPECT_EQ(PayloadOffset(image), exe.size());
    EXPECT_EQ(FormatSettingsText(first), kExample);

    const uint32_t second[9] = {2, 1, 500, 2000, 1, 0, 1000, 300, 999};
    ASSERT_TRUE(WritePayload(image, second, faces));
    EXPECT_EQ(image.size(),
              firstSize - std::string(kExample).size() + FormatSettingsText(second).size());
    PayloadContents c = Read(Bytes(image.begin(), image.end()));
    EXPECT_TRUE(std::equal(std::begin(c.settings), std::end(c.settings), second));
    EXPECT_EQ(ReadFileBytes(c.faceFiles[2]), (Bytes{7, 8, 9}));
    EXPECT_EQ(c.faceModes[2], 1);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 5, exe.begin()));
    DeletePayloadFiles(c);
}

TEST_F(PayloadTest, ExtensionBlockAfterTheFacesCarriesThePictureMode) {
    std::vector<BYTE> image{'M', 'Z'};
    PayloadFace faces[6];
    faces[5].data = {1, 2, 3};
    const uint32_t settings[9] = {1, 3, 1000, 1250, 0, 10, 1000, 300, 500};
    PayloadExtension smooth;
    smooth.pictureMode = PictureMode::kSmooth;
    const std::vector<BYTE> block = FormatPayloadExtension(smooth);
    ASSERT_TRUE(WritePayload(image, settings, faces, &block));
    PayloadContents c = Read(Bytes(image.begin(), image.end()));
    EXPECT_TRUE(c.extension.present);
    EXPECT_EQ(c.extension.pictureMode, PictureMode::kSmooth);
    EXPECT_EQ(ReadFileBytes(c.faceFiles[5]), (Bytes{1, 2, 3}));
    DeletePayloadFiles(c);

    // Without a block, and with the last face cut short into it, the saver stays exact.
    ASSERT_TRUE(WritePayload(image, settings, faces));
    c = Read(Bytes(image.begin(), image.end()));
    EXPECT_FALSE(c.extension.present);
    EXPECT_EQ(c.extension.pictureMode, PictureMode::kExact);
    DeletePayloadFiles(c);
    PayloadBuilder cut;
    cut.Magic().Text(kExample).EmptyFaces(5);
    cut.image.push_back(0);
    AppendU32(cut.image, static_cast<uint32_t>(block.size() + 1));
    cut.image.insert(cut.image.end(), block.begin(), block.end());
    c = Read(cut.Finish());
    EXPECT_EQ(c.faceStates[5], FaceEntryState::kNotInPayload);
    EXPECT_FALSE(c.extension.present);
    DeletePayloadFiles(c);

    std::vector<BYTE> tooLong(kExtensionMaxBytes + 1, 0);
    EXPECT_FALSE(WritePayload(image, settings, faces, &tooLong));
}
