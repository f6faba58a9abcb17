// Runs the authoring tool's command-line checks (tools/vomracube-pack/pack_cli_test.sh) and
// its phone-photo check (phone_photos_test.sh) against the tools built beside this test
// program.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string Folder(std::string path) {
    return path.substr(0, path.rfind('/'));
}
} // namespace

TEST(PayloadPackCli, CommandLineChecksPass) {
    char self[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string tool = Folder(Folder(self)) + "/tools/vomracube-pack/vomracube-pack";
    struct stat st;
    if (stat(tool.c_str(), &st) != 0) {
        GTEST_SKIP() << "the tool is not built: " << tool;
    }
    const std::string root = Folder(Folder(Folder(__FILE__)));
    const std::string command = "bash '" + root + "/tools/vomracube-pack/pack_cli_test.sh' '" +
                                tool + "' '" + root + "/res/picture140.bmp'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(PayloadPackCli, PhonePhotosShrinkToAQuarterAndLookTheSame) {
    char self[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string tools = Folder(Folder(self)) + "/tools";
    const std::string pack = tools + "/vomracube-pack/vomracube-pack";
    const std::string render = tools + "/vomracube-render/vomracube-render";
    struct stat st;
    if (stat(pack.c_str(), &st) != 0 || stat(render.c_str(), &st) != 0) {
        GTEST_SKIP() << "the tools are not built: " << pack << ", " << render;
    }
    const std::string root = Folder(Folder(Folder(__FILE__)));
    const std::string command = "bash '" + root + "/tools/vomracube-pack/phone_photos_test.sh' '" +
                                pack + "' '" + render + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}
