#include "../ScratchFolder.h"
#include "../import/PictureSourceTestSupport.h"
#include "make/system/FileBytes.h"
#include "make/PayloadWriter.h"
#include "make/ProjectBudget.h"
#include "make/SaverProject.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const std::vector<uint8_t> kTemplate = {'M', 'Z', 0x90, 0, 's', 't', 'a', 'n', 'd', '-', 'i', 'n'};

// A private folder that is also the temporary folder for the saver's payload reader, so a
// test sees every file it leaves behind.
class ProjectFolder : public ScratchFolder {
  public:
    ProjectFolder() : ScratchFolder("pack-project") {
        platform::SetTempPathOverride(Path().c_str());
    }
    ~ProjectFolder() { platform::SetTempPathOverride(nullptr); }
};

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<uint8_t> FileContent(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(ReadWholeFile(path, bytes, error)) << error;
    return bytes;
}

// A project with settings off their defaults and two faces: a picture, filling its face,
// and a file the saver cannot show.
SaverProject ProjectWithFaces(const ProjectFolder& folder) {
    SaverProject project;
    project.settings[kCubeCount] = static_cast<uint32_t>(-1);
    project.settings[kBoxSize] = 2500;
    project.settings[kRegionOption] = 1;
    std::string error;
    const std::string picture = folder.Write("red.bmp", MakeBmp24(5, 3, 0, 0, 255));
    project.faces[0].mode = FaceMode::kFill;
    EXPECT_TRUE(project.SetFace(0, picture, FacePlan{}, error)) << error;
    EXPECT_TRUE(
        project.SetFace(2, folder.Write("notes.txt", Bytes("not a picture")), FacePlan{}, error))
        << error;
    folder.Remove("red.bmp");
    folder.Remove("notes.txt");
    return project;
}

// `reopened`: b is a saved a opened again.
void ExpectSameProject(const SaverProject& a, const SaverProject& b, bool reopened = false) {
    for (int i = 0; i < kPayloadSettingCount; ++i) {
        EXPECT_EQ(a.settings[i], b.settings[i]) << "setting " << i;
    }
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        EXPECT_EQ(a.faces[i].mode, b.faces[i].mode) << "face " << i;
        // A face the saver would not show is not stored: it comes back empty.
        if (reopened && a.faces[i].FallsBack()) {
            EXPECT_TRUE(b.faces[i].Empty()) << "face " << i;
            continue;
        }
        EXPECT_EQ(a.faces[i].prepared.data, b.faces[i].prepared.data) << "face " << i;
        EXPECT_EQ(a.faces[i].prepared.check.verdict, b.faces[i].prepared.check.verdict);
        EXPECT_EQ(a.faces[i].prepared.check.description, b.faces[i].prepared.check.description);
    }
}
} // namespace

TEST(SaverProject, SavedSaverOpensAgainWithItsSettingsAndFaces) {
    ProjectFolder folder;
    const SaverProject made = ProjectWithFaces(folder);
    ASSERT_EQ(made.faces[0].prepared.check.verdict, FaceVerdict::kShown);
    ASSERT_EQ(made.faces[2].prepared.check.verdict, FaceVerdict::kDefault);
    std::string error;
    uint64_t saved = 0;
    ASSERT_TRUE(made.Save(kTemplate, folder.File("mine.scr"), error, saved)) << error;
    const std::vector<uint8_t> file = FileContent(folder.File("mine.scr"));
    EXPECT_EQ(saved, file.size());
    EXPECT_TRUE(std::equal(kTemplate.begin(), kTemplate.end(), file.begin()));

    SaverProject opened;
    opened.settings[kMotionStyle] = 3;
    ASSERT_TRUE(opened.OpenSaver(folder.File("mine.scr"), error)) << error;
    ExpectSameProject(made, opened, true);
    EXPECT_EQ(made.pictureMode, PictureMode::kSmooth) << "new savers are smooth";
    EXPECT_EQ(opened.pictureMode, PictureMode::kSmooth);
    SaverProject exact = made;
    exact.pictureMode = PictureMode::kExact;
    ASSERT_TRUE(exact.Save(kTemplate, folder.File("exact.scr"), error)) << error;
    ASSERT_TRUE(opened.OpenSaver(folder.File("exact.scr"), error)) << error;
    EXPECT_EQ(opened.pictureMode, PictureMode::kExact) << "an opened saver keeps its mode";
    folder.Remove("exact.scr");
    ASSERT_TRUE(opened.OpenSaver(folder.File("mine.scr"), error)) << error;
    // The stored name of the face's file, not the saver's.
    EXPECT_EQ(opened.faces[0].source, "red.bmp");
    EXPECT_EQ(opened.faces[0].name, "red.bmp");
    EXPECT_TRUE(opened.faces[2].source.empty());
    EXPECT_TRUE(opened.faces[1].source.empty());
    EXPECT_TRUE(opened.faces[1].Empty());

    // Only the saver and no extracted face file is left.
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"mine.scr"});
    folder.Remove("mine.scr");
}

TEST(SaverProject, FacesKeepTheirOriginalNamesWhereTheSaverStoresThem) {
    ProjectFolder folder;
    SaverProject made;
    std::string error;
    const std::string name = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xE6\x9D\xB1.bmp";
    ASSERT_TRUE(made.SetFace(1, folder.Write(name, MakeBmp24(4, 4, 0, 255, 0)), FacePlan{}, error))
        << error;
    EXPECT_EQ(made.faces[1].name, name);
    ASSERT_TRUE(made.Save(kTemplate, folder.File("named.scr"), error)) << error;
    // A saver written without names (an older maker, the plain SaveSaver) says which face of
    // which saver it is.
    PayloadFaceView views[kPayloadFaceCount];
    made.Views(views);
    uint64_t bytes = 0;
    ASSERT_TRUE(SaveSaver(kTemplate, made.settings, views, folder.File("plain.scr"), error, bytes))
        << error;
    SaverProject opened;
    ASSERT_TRUE(opened.OpenSaver(folder.File("named.scr"), error)) << error;
    EXPECT_EQ(opened.faces[1].source, name);
    EXPECT_EQ(opened.faces[1].name, name);
    // Saved again, the name goes with it.
    ASSERT_TRUE(opened.Save(kTemplate, folder.File("again.scr"), error)) << error;
    SaverProject again;
    ASSERT_TRUE(again.OpenSaver(folder.File("again.scr"), error)) << error;
    EXPECT_EQ(again.faces[1].source, name);
    ASSERT_TRUE(opened.OpenSaver(folder.File("plain.scr"), error)) << error;
    EXPECT_EQ(opened.faces[1].source, "face 2 of plain.scr");
    EXPECT_TRUE(opened.faces[1].name.empty());
    for (const char* file : {"named.scr", "plain.scr", "again.scr"}) {
        folder.Remove(file);
    }
    folder.Remove(name);
}

TEST(SaverProject, PicturesOfAnotherShapeThanTheFaceFillIt) {
    struct Case {
        FaceVerdict verdict;
        int format, width, height;
        FaceMode current, preferred;
    };
    const Case cases[] = {
        {FaceVerdict::kShown, ImageImporter::Jpeg, 4000, 3000, FaceMode::kFit, FaceMode::kFill},
        {FaceVerdict::kShown, ImageImporter::Png, 300, 1200, FaceMode::kFit, FaceMode::kFill},
        {FaceVerdict::kShown, ImageImporter::Png, 512, 512, FaceMode::kFit, FaceMode::kFit},
        {FaceVerdict::kShown, ImageImporter::Png, 512, 512, FaceMode::kFill, FaceMode::kFill},
        // A video (no picture format) and a face the saver does not show keep their mode.
        {FaceVerdict::kShown, 0, 0, 0, FaceMode::kFit, FaceMode::kFit},
        {FaceVerdict::kDefault, ImageImporter::Jpeg, 4000, 3000, FaceMode::kFit, FaceMode::kFit},
    };
    for (const Case& c : cases) {
        FaceCheck check;
        check.verdict = c.verdict;
        check.pictureFormat = c.format;
        check.width = c.width;
        check.height = c.height;
        EXPECT_EQ(PreferredMode(check, c.current), c.preferred) << c.width << " x " << c.height;
    }
}

TEST(SaverProject, SavingOverAFinishedSaverReplacesItsPayload) {
    ProjectFolder folder;
    const SaverProject made = ProjectWithFaces(folder);
    std::string error;
    ASSERT_TRUE(made.Save(kTemplate, folder.File("first.scr"), error)) << error;

    // The finished saver as the template of an emptier one, written over itself.
    std::vector<uint8_t> finished;
    ASSERT_TRUE(ReadSaverTemplate(folder.File("first.scr"), finished, error)) << error;
    SaverProject emptier;
    emptier.settings[kBoxCount] = 5;
    ASSERT_TRUE(emptier.Save(finished, folder.File("first.scr"), error)) << error;
    ASSERT_TRUE(emptier.Save(kTemplate, folder.File("plain.scr"), error)) << error;
    EXPECT_EQ(FileContent(folder.File("first.scr")), FileContent(folder.File("plain.scr")));

    SaverProject opened = made;
    ASSERT_TRUE(opened.OpenSaver(folder.File("first.scr"), error)) << error;
    ExpectSameProject(emptier, opened, true);
    folder.Remove("first.scr");
    folder.Remove("plain.scr");
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(SaverProject, UnwritableTargetIsReportedAndLeavesNoFile) {
    ProjectFolder folder;
    const SaverProject project = ProjectWithFaces(folder);
    std::string error;
    const std::string missing = folder.File("gone/saver.scr");
    EXPECT_FALSE(project.Save(kTemplate, missing, error));
    EXPECT_EQ(error.rfind("cannot write " + missing + ": ", 0), 0u) << error;

    // A folder in the target's place: the file beside it is written, then cannot replace it.
    ASSERT_EQ(mkdir(folder.File("taken").c_str(), 0700), 0);
    error.clear();
    EXPECT_FALSE(project.Save(kTemplate, folder.File("taken"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"taken"});
    rmdir(folder.File("taken").c_str());

    EXPECT_FALSE(project.Save(Bytes("PK\3\4"), folder.File("zip.scr"), error));
    EXPECT_EQ(error, "the template is not a Windows executable");
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(SaverProject, FilesThatAreNoSaverOfOursLeaveTheProjectAsItWas) {
    ProjectFolder folder;
    SaverProject project = ProjectWithFaces(folder);
    const SaverProject before = project;
    const std::string zip = folder.Write("archive.scr", Bytes("PK\3\4 with a payload's length"));
    const std::string plain = folder.Write("unmade.scr", kTemplate);
    std::string error;

    EXPECT_FALSE(project.OpenSaver(zip, error));
    EXPECT_EQ(error, zip + " is not a saver: it is not a Windows program");
    EXPECT_FALSE(project.OpenSaver(plain, error));
    EXPECT_EQ(error.rfind(plain + " holds no settings or faces", 0), 0u) << error;
    EXPECT_FALSE(project.OpenSaver(folder.File("none.scr"), error));
    EXPECT_EQ(error.rfind("cannot read " + folder.File("none.scr") + ": ", 0), 0u) << error;
    EXPECT_FALSE(project.OpenSaver(folder.Path(), error));
    EXPECT_EQ(error, "cannot read " + folder.Path() + ": it is a folder");
    ExpectSameProject(before, project);
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        EXPECT_EQ(project.faces[i].source, before.faces[i].source);
    }
    folder.Remove("archive.scr");
    folder.Remove("unmade.scr");
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(SaverProject, FacesKeepTheirModeThroughSetAndClear) {
    ProjectFolder folder;
    SaverProject project;
    project.faces[4].mode = FaceMode::kFill;
    std::string error;
    EXPECT_FALSE(project.SetFace(4, folder.File("none.png"), FacePlan{}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(project.faces[4].Empty());
    EXPECT_TRUE(project.faces[4].source.empty());

    const std::string picture = folder.Write("blue.bmp", MakeBmp24(4, 4, 255, 0, 0));
    ASSERT_TRUE(project.SetFace(4, picture, FacePlan{}, error)) << error;
    EXPECT_EQ(project.faces[4].source, picture);
    EXPECT_EQ(project.faces[4].mode, FaceMode::kFill);
    EXPECT_FALSE(project.faces[4].FallsBack());
    EXPECT_FALSE(project.SetFace(6, picture, FacePlan{}, error));
    EXPECT_FALSE(project.SetFace(-1, picture, FacePlan{}, error));
    project.ClearFace(4);
    EXPECT_TRUE(project.faces[4].Empty());
    EXPECT_TRUE(project.faces[4].FallsBack());
    EXPECT_TRUE(project.faces[4].source.empty());
    EXPECT_EQ(project.faces[4].mode, FaceMode::kFill);
    project.ClearFace(9); // no such face: nothing happens
    folder.Remove("blue.bmp");
}

TEST(FaceDescription, VerdictsAndFaceLinesInTheToolsWords) {
    EXPECT_STREQ(VerdictOutcome(FaceVerdict::kShown), "shown");
    EXPECT_STREQ(VerdictOutcome(FaceVerdict::kMaybe), "shown if the codec is there");
    EXPECT_STREQ(VerdictOutcome(FaceVerdict::kDefault), "default picture");

    ProjectFace face;
    EXPECT_EQ(DescribeFace(face), "empty -> default picture");
    EXPECT_EQ(DescribeFace(face, "no file"), "no file: empty -> default picture");
    face.source = "photo.jpg";
    face.mode = FaceMode::kFill;
    face.prepared.data = {1, 2, 3};
    face.prepared.check.verdict = FaceVerdict::kMaybe;
    face.prepared.check.description = "AVI video compressed with \"MJPG\"";
    EXPECT_EQ(DescribeFace(face),
              "photo.jpg (3 bytes, fill): AVI video compressed with \"MJPG\" -> shown if the "
              "codec is there");
    EXPECT_EQ(DescribeFace(face, "entry").rfind("entry (3 bytes, fill): ", 0), 0u);
    EXPECT_FALSE(face.FallsBack());
}

// What a face may add to a project: each limit is named when it refuses.
TEST(SaverProject, BudgetRefusesBeyondEachLimitAndNamesIt) {
    constexpr uint64_t kMiB = uint64_t{1} << 20;
    const struct {
        uint64_t bytes, others;
        const char* refusal;
    } cases[] = {
        {kLargestFaceBytes, 0, ""},
        {kLargestFaceBytes + 1, 0, "the file is 257 MiB; faces of up to 256 MiB are taken"},
        {250 * kMiB, 262 * kMiB, ""},
        {250 * kMiB, 500 * kMiB,
         "the faces would come to 750 MiB; a saver holds at most 512 MiB of faces (this one is "
         "250 MiB)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FaceBudgetRefusal(c.bytes, c.others), c.refusal) << c.bytes << " " << c.others;
    }
    // A file over the limit is refused before it is read (a sparse file: nothing is written).
    ProjectFolder folder;
    SaverProject project = ProjectWithFaces(folder);
    const std::string huge = folder.File("huge.avi");
    ASSERT_EQ(truncate(folder.Write("huge.avi", {}).c_str(), 300 * kMiB), 0);
    std::string error;
    EXPECT_FALSE(project.SetFace(0, huge, FacePlan{}, error));
    EXPECT_EQ(error, "the file is 300 MiB; faces of up to 256 MiB are taken");
    EXPECT_EQ(project.faces[0].prepared.check.verdict, FaceVerdict::kShown); // as it was
    folder.Remove("huge.avi");
}

// Save hands the file the template and each face from where they are held: no piece is
// larger than the largest of them, and together they are the saver the in-memory writer makes.
TEST(SaverProject, SaveStreamsEachPartWithoutACopyOfTheSaver) {
    PayloadFace faces[kPayloadFaceCount];
    PayloadFaceView views[kPayloadFaceCount];
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        faces[i].mode = static_cast<BYTE>(i & 1);
        faces[i].data.assign(1000 + 100 * i, static_cast<BYTE>(i));
        views[i] = {faces[i].mode, faces[i].data};
    }
    std::vector<BYTE> expected = kTemplate;
    ASSERT_TRUE(WritePayload(expected, kSettingDefaults, faces));
    std::vector<BYTE> streamed;
    size_t largestPiece = 0;
    ASSERT_TRUE(StreamSaver(kTemplate, kSettingDefaults, views, [&](std::span<const BYTE> piece) {
        largestPiece = std::max(largestPiece, piece.size());
        streamed.insert(streamed.end(), piece.begin(), piece.end());
        return true;
    }));
    EXPECT_EQ(streamed, expected);
    EXPECT_EQ(largestPiece, faces[5].data.size());
    // A sink that fails stops the writing at once.
    int calls = 0;
    EXPECT_FALSE(StreamSaver(kTemplate, kSettingDefaults, views, [&](std::span<const BYTE>) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 1);
}

// A save cancelled while it writes leaves neither the saver nor its partial file, and an
// earlier saver of that name as it was.
TEST(SaverProject, CancelledSaveLeavesTheOldFileAndNoPartOfTheNew) {
    ProjectFolder folder;
    const SaverProject project = ProjectWithFaces(folder);
    const std::string target = folder.Write("old.scr", Bytes("MZ the old one"));
    PayloadFaceView views[kPayloadFaceCount];
    project.Views(views);
    const std::atomic<bool> cancel{true};
    std::string error;
    uint64_t bytes = 0;
    EXPECT_FALSE(SaveSaver(kTemplate, project.settings, views, target, error, bytes, &cancel));
    EXPECT_EQ(error, kCancelledText);
    EXPECT_EQ(FileContent(target), Bytes("MZ the old one"));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"old.scr"});
    folder.Remove("old.scr");
}
