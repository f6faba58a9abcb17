#include "../ScratchFolder.h"
#include "make/system/FileBytes.h"

#include <gtest/gtest.h>

TEST(FileBytes, StartIsCutAtTheLimitAndTheSizeIsTheWholeFile) {
    ScratchFolder folder("pack-bytes");
    const std::string path = folder.Write("ten", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    std::vector<uint8_t> bytes;
    uint64_t size = 0;
    std::string error;
    ASSERT_TRUE(ReadFileStart(path, 4, bytes, size, error));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(size, 10u);
    ASSERT_TRUE(ReadFileStart(path, 100, bytes, size, error));
    EXPECT_EQ(bytes.size(), 10u);
    ASSERT_TRUE(ReadWholeFile(path, bytes, error));
    EXPECT_EQ(bytes.size(), 10u);
    folder.Remove("ten");
}

TEST(FileBytes, MissingFilesAndFoldersAreReportedNotRead) {
    ScratchFolder folder("pack-bytes");
    std::vector<uint8_t> bytes;
    uint64_t size = 0;
    std::string error;
    EXPECT_FALSE(ReadWholeFile(folder.File("none"), bytes, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(ReadFileStart(folder.Path(), 16, bytes, size, error));
    EXPECT_FALSE(error.empty());
}
