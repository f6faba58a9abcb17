#include "../ScratchFolder.h"
#include "platform/FileNames.h"

#include <gtest/gtest.h>

// Natively names are bytes: UTF-8 names pass unchanged, and the calls keep the contracts the
// Windows build keeps (one-step replacing, temporary names with a three-character prefix).
TEST(FileNames, FilesAndFoldersKeepTheirNames) {
    ScratchFolder scratch("file-names");
    const std::string folder = scratch.File("Ωμέγα 東京");
    ASSERT_TRUE(names::MakeFolder(folder.c_str()));
    EXPECT_FALSE(names::MakeFolder(folder.c_str()));
    EXPECT_TRUE(names::IsFolder(folder.c_str()));

    const std::string made = names::NewTempFile(folder + "/", "vcface");
    EXPECT_EQ(made.rfind(folder + "/vcf", 0), 0u) << made;
    EXPECT_TRUE(names::Exists(made.c_str()));
    EXPECT_FALSE(names::IsFolder(made.c_str()));

    const std::string photo = folder + "/日本の写真.jpg";
    const HANDLE out = names::Open(photo.c_str(), GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(out, "jpg", 3, &written, nullptr));
    CloseHandle(out);
    EXPECT_TRUE(names::MoveReplacing(photo.c_str(), made.c_str()));
    EXPECT_FALSE(names::Exists(photo.c_str()));
    const HANDLE in = names::Open(made.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(in, nullptr), 3u);
    CloseHandle(in);

    EXPECT_FALSE(names::RemoveFolder(folder.c_str())) << "not empty yet";
    EXPECT_TRUE(names::Remove(made.c_str()));
    EXPECT_TRUE(names::RemoveFolder(folder.c_str()));
    EXPECT_FALSE(names::Exists(folder.c_str()));
}

TEST(FileNames, TheOverriddenTemporaryFolderAndProgramPathAreAnswered) {
    platform::SetTempPathOverride("/tmp/Τεμπ 一時");
    EXPECT_EQ(names::TempFolder(), "/tmp/Τεμπ 一時/");
    platform::SetTempPathOverride(nullptr);
    platform::SetModuleFileNameOverride("/opt/Ωμέγα 東京/VomraCube.scr");
    EXPECT_EQ(names::ModulePath(nullptr), "/opt/Ωμέγα 東京/VomraCube.scr");
    platform::SetModuleFileNameOverride(nullptr);
    EXPECT_FALSE(names::ModulePath(nullptr).empty());
}
