// The work a photo put into a face costs, counted: how often its file is opened (inotify sees
// every open, whoever makes it), how many decodes the importer begins, and that nothing is
// written to the temporary folder on the way, the thumbnail included.
#include "../ScratchFolder.h"
#include "import/ImageImporter.h"
#include "make/FacePreparation.h"
#include "make/picture/JpegWriter.h"
#include "make/picture/PngWriter.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/inotify.h>
#include <unistd.h>

namespace {
// Counts the events of one kind on one path from its construction on.
class EventCount {
  public:
    EventCount(const std::string& path, uint32_t mask)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        m_watch = m_fd >= 0 ? inotify_add_watch(m_fd, path.c_str(), mask) : -1;
    }
    ~EventCount() { close(m_fd); }
    EventCount(const EventCount&) = delete;
    EventCount& operator=(const EventCount&) = delete;

    bool Watching() const { return m_watch >= 0; }
    int Events() {
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                ++m_events;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return m_events;
    }

  private:
    int m_fd;
    int m_watch = -1;
    int m_events = 0;
};

RgbaImage Gradient(int width, int height) {
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        const size_t pixel = i / 4;
        image.pixels[i] = static_cast<uint8_t>(pixel % static_cast<size_t>(width));
        image.pixels[i + 1] = static_cast<uint8_t>(pixel / static_cast<size_t>(width));
        image.pixels[i + 2] = 90;
        image.pixels[i + 3] = 255;
    }
    return image;
}
} // namespace

TEST(FacePreparationWork, PhotoIsOpenedOnceAndDecodedAtMostTwice) {
    ScratchFolder folder("pack-work-count");
    ScratchFolder temp("pack-work-temp");
    platform::SetTempPathOverride(temp.Path().c_str());
    constexpr int kSlot = 48;
    const struct {
        const char* what;
        bool jpeg;
        int width, height, maxSide;
        uint64_t decodes;
    } cases[] = {
        {"JPEG kept as it is", true, 64, 40, 2048, 1},
        // A phone's 4000 x 3000 photo brought to 2048 is such a case.
        {"JPEG shrunk", true, 150, 100, 100, 2},
        // More than twice the size asked for: read again at half size, which holds a quarter
        // of the pixels in memory, for one decode more.
        {"JPEG shrunk to under half", true, 300, 200, 100, 3},
        {"PNG kept as it is", false, 40, 64, 2048, 1},
        {"PNG shrunk", false, 200, 300, 100, 2},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes;
        const RgbaImage image = Gradient(c.width, c.height);
        ASSERT_TRUE(c.jpeg ? EncodeJpeg(image, 90, bytes) : EncodePng(image, bytes)) << c.what;
        const std::string path = folder.Write(c.jpeg ? "photo.jpg" : "photo.png", bytes);
        EventCount opens(path, IN_OPEN);
        EventCount made(temp.Path(), IN_CREATE);
        ASSERT_TRUE(opens.Watching() && made.Watching());
        FacePlan plan;
        plan.maxSide = c.maxSide;
        plan.thumbnailSide = kSlot;
        const uint64_t before = PicturesDecoded();
        PreparedFace face;
        std::string error;
        ASSERT_TRUE(PrepareFace(path, plan, face, error)) << c.what << ": " << error;
        EXPECT_EQ(face.check.verdict, FaceVerdict::kShown) << c.what;
        EXPECT_EQ(opens.Events(), 1) << c.what;
        EXPECT_EQ(PicturesDecoded() - before, c.decodes) << c.what;
        EXPECT_EQ(made.Events(), 0) << c.what << ": a temporary file was written";
        // The thumbnail is the stored picture's, within the slot.
        EXPECT_EQ(std::max(face.thumbnail.image.width, face.thumbnail.image.height), kSlot)
            << c.what;
        EXPECT_EQ(face.thumbnail.image.width > face.thumbnail.image.height, c.width > c.height)
            << c.what;
        folder.Remove(c.jpeg ? "photo.jpg" : "photo.png");
    }
    platform::SetTempPathOverride(nullptr);
    EXPECT_TRUE(temp.Entries().empty());
}
