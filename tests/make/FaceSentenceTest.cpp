// The maker's sentence for each kind of face: whole, plain, and free of the tools' words.
#include "make/FaceSentence.h"

#include <gtest/gtest.h>

namespace {
ProjectFace Face(FaceVerdict verdict, int format, int images = 1) {
    ProjectFace face;
    face.source = "C:\\photos\\IMG_0001.jpg";
    face.prepared.data = {1, 2, 3};
    face.prepared.check.verdict = verdict;
    face.prepared.check.pictureFormat = format;
    face.prepared.check.images = images;
    return face;
}

TEST(FaceSentence, OneWholeSentencePerKindOfFace) {
    struct Case {
        const char* what;
        ProjectFace face;
        const char* sentence;
    };
    ProjectFace reworked = Face(FaceVerdict::kShown, ImageImporter::Jpeg);
    reworked.prepared.turned = reworked.prepared.shrunk = true;
    ProjectFace shrunk = Face(FaceVerdict::kShown, ImageImporter::Png);
    shrunk.prepared.shrunk = true;
    ProjectFace converted = Face(FaceVerdict::kShown, 0);
    converted.prepared.converted = true;
    ProjectFace still = Face(FaceVerdict::kShown, ImageImporter::Gif);
    still.prepared.check.stillAnimation = true;
    ProjectFace damaged = Face(FaceVerdict::kDefault, 0);
    damaged.prepared.check.problem = FaceProblem::kDamaged;
    ProjectFace large = Face(FaceVerdict::kDefault, ImageImporter::Png);
    large.prepared.check.problem = FaceProblem::kTooLarge;
    ProjectFace unknown = Face(FaceVerdict::kDefault, 0);
    unknown.prepared.check.problem = FaceProblem::kUnknownKind;
    ProjectFace rare = Face(FaceVerdict::kMaybe, 0);
    rare.prepared.check.videoCompression = 0x34363248; // "H264"
    ProjectFace common = Face(FaceVerdict::kMaybe, 0);
    common.prepared.check.videoCompression = 0x4356534D; // "MSVC", which Windows includes
    const Case cases[] = {
        {"empty", ProjectFace{}, "Empty: the default picture shows here."},
        {"photo", Face(FaceVerdict::kShown, ImageImporter::Jpeg), "Shown."},
        {"turned and shrunk", reworked, "Shown, turned upright and made smaller."},
        {"shrunk", shrunk, "Shown, made smaller."},
        {"animated GIF", Face(FaceVerdict::kShown, ImageImporter::Gif, 3), "Shown moving."},
        {"animated PNG", Face(FaceVerdict::kShown, ImageImporter::Png, 3),
         "Shown, only its first frame, still."},
        {"GIF beyond the saver", still, "Shown, only its first frame, still."},
        {"AVI", Face(FaceVerdict::kShown, 0), "Shown moving."},
        {"converted clip", converted, "Shown moving, converted into a video the saver plays."},
        {"damaged", damaged, "Not shown: the file is damaged or of a kind the saver refuses."},
        {"too large", large, "Not shown: the picture is too large."},
        {"unknown", unknown, "Not shown: the saver does not read this kind of file."},
        {"codec Windows includes", common, "Shown moving."},
        {"codec Windows lacks", rare,
         "Shown moving where its video codec is installed; elsewhere the default picture."},
    };
    for (const Case& c : cases) {
        const std::string sentence = FaceSentence(c.face);
        EXPECT_EQ(sentence, c.sentence) << c.what;
        // No command-line words, arrows or byte counts.
        for (const char* jargon : {"--", "->", "bytes", "bits per pixel", "4:2:0"}) {
            EXPECT_EQ(sentence.find(jargon), std::string::npos) << c.what << ": " << jargon;
        }
    }
}

TEST(FaceSentence, DetailsGiveTheToolsLineAndEveryNote) {
    ProjectFace face = Face(FaceVerdict::kShown, ImageImporter::Jpeg);
    face.prepared.check.description = "JPEG picture, 4 x 3";
    face.prepared.notes = {"stood upright", "stored as JPEG"};
    EXPECT_EQ(FaceDetails(face, "IMG_0001.jpg"),
              "IMG_0001.jpg (3 bytes, fit): JPEG picture, 4 x 3 -> shown\nstood upright\n"
              "stored as JPEG");
}
} // namespace
