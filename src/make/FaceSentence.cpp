#include "make/FaceSentence.h"

#include "make/VideoConversion.h"

#include <vector>

namespace {
const char* ProblemWords(FaceProblem problem) {
    switch (problem) {
    case FaceProblem::kUnknownKind:
        return "the saver does not read this kind of file";
    case FaceProblem::kDamaged:
        return "the file is damaged or of a kind the saver refuses";
    case FaceProblem::kTooLarge:
        return "the picture is too large";
    case FaceProblem::kVideo:
        return "the saver cannot play this video";
    case FaceProblem::kNoMemory:
        return "there was not enough memory to read it";
    case FaceProblem::kCannotOpen:
        return "the file cannot be opened";
    case FaceProblem::kNone:
        break;
    }
    return "the saver cannot read it";
}

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<const char*>& parts) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        text += i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ";
        text += parts[i];
    }
    return text;
}

std::string ShownSentence(const ProjectFace& face) {
    const FaceCheck& check = face.prepared.check;
    // Pictures carry their format; a face shown without one is a video.
    const bool video = check.pictureFormat == 0;
    const bool animated = check.images > 1 && !check.stillAnimation;
    const bool moving = video || (animated && check.pictureFormat == ImageImporter::Gif);
    std::vector<const char*> done;
    if (face.prepared.converted) {
        done.push_back("converted into a video the saver plays");
    }
    if (face.prepared.turned) {
        done.push_back("turned upright");
    }
    if (face.prepared.shrunk) {
        done.push_back("made smaller");
    }
    if (!moving && (check.stillAnimation || animated)) {
        done.push_back("only its first frame, still");
    }
    const std::string lead = moving ? "Shown moving" : "Shown";
    return done.empty() ? lead + "." : lead + ", " + Listed(done) + ".";
}
} // namespace

std::string FaceSentence(const ProjectFace& face) {
    if (face.Empty()) {
        return "Empty: the default picture shows here.";
    }
    const FaceCheck& check = face.prepared.check;
    switch (check.verdict) {
    case FaceVerdict::kShown:
        return ShownSentence(face);
    case FaceVerdict::kMaybe:
        return WindowsHasCodec(check.videoCompression)
                   ? "Shown moving."
                   : "Shown moving where its video codec is installed; elsewhere the default "
                     "picture.";
    case FaceVerdict::kDefault:
        break;
    }
    return std::string("Not shown: ") + ProblemWords(check.problem) + ".";
}

std::string FaceDetails(const ProjectFace& face, const std::string& label) {
    std::string details = DescribeFace(face, label);
    for (const std::string& note : face.prepared.notes) {
        details += "\n" + note;
    }
    return details;
}
