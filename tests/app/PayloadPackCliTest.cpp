// Runs the authoring tool's command-line checks (tools/vomracube-pack/pack_cli_test.sh)
// against the tool built beside this test program.
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
