// File names in scripts outside the system's code page (Wine here runs with 1252) through
// the calls every name goes through: the files are made under their own names, which the
// system then lists in UTF-16 exactly.
#include "../WinCheck.h"

#include "framework/File.h"
#include "platform/FileNames.h"
#include "platform/StdPath.h"
#include "platform/Wide.h"

#include <fstream>
#include <string>

namespace {

const char* const kNames[] = {"日本の写真.jpg", "Ελλάδα.png", "Café Ωμέγα 東京.bmp"};

// A folder named in Greek and Japanese inside the temporary folder, removed at the end.
struct ScratchFolder {
    std::string path = names::TempFolder() + "Ωμέγα 東京 " + std::to_string(GetTickCount());
    ScratchFolder() { CHECK(names::MakeFolder(path.c_str())); }
    ~ScratchFolder() { CHECK(names::RemoveFolder(path.c_str())); }
    std::string File(const char* name) const { return path + "\\" + name; }
};

// Whether the system lists exactly this UTF-16 name for the file.
bool ListedAs(const std::string& utf8Path, const wchar_t* expected) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(wide::FromUtf8(utf8Path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return std::wstring(found.cFileName) == expected;
}

WIN_TEST(NamesInAnyScriptAreMadeReadAndRemoved) {
    ScratchFolder folder;
    CHECK(names::IsFolder(folder.path.c_str()));
    const wchar_t* const listed[] = {L"日本の写真.jpg", L"Ελλάδα.png", L"Café Ωμέγα 東京.bmp"};
    for (size_t i = 0; i < 3; ++i) {
        const std::string path = folder.File(kNames[i]);
        CFile out;
        if (!out.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite)) {
            CHECK(!"made under its own name");
            continue;
        }
        out.Write(kNames[i], 4);
        out.Close();
        CHECK(ListedAs(path, listed[i]));
        CHECK(names::Exists(path.c_str()) && !names::IsFolder(path.c_str()));
        CFile in;
        char bytes[8] = {};
        CHECK(in.Open(path.c_str(), CFile::modeRead) && in.Read(bytes, 8) == 4);
        in.Close();
        CHECK(std::string(bytes) == std::string(kNames[i], 4));
    }
    const std::string moved = folder.File("Ωμέγα.tmp");
    CHECK(names::MoveReplacing(folder.File(kNames[0]).c_str(), moved.c_str()));
    CHECK(names::MoveReplacing(folder.File(kNames[1]).c_str(), moved.c_str()));
    CHECK(!names::Exists(folder.File(kNames[1]).c_str()));
    CHECK(names::Remove(moved.c_str()) && names::Remove(folder.File(kNames[2]).c_str()));
}

WIN_TEST(FileStreamsOpenNamesInAnyScript) {
    ScratchFolder folder;
    const std::string path = folder.File(kNames[2]);
    std::ofstream(StdPath(path), std::ios::binary) << "bmp";
    CHECK(ListedAs(path, L"Café Ωμέγα 東京.bmp"));
    std::string read;
    std::ifstream(StdPath(path), std::ios::binary) >> read;
    CHECK(read == "bmp");
    CHECK(names::Remove(path.c_str()));
}

WIN_TEST(TemporaryFilesInANamedFolderKeepTheirFolder) {
    ScratchFolder folder;
    const std::string made = names::NewTempFile(folder.path + "\\", "vcface");
    CHECK(made.rfind(folder.path + "\\vcf", 0) == 0);
    CHECK(names::Exists(made.c_str()));
    CHECK(names::Remove(made.c_str()));
}

WIN_TEST(NamesThatAreNotUtf8NameNoFile) {
    CHECK(names::Open("caf\xE9.png", GENERIC_READ, 0, OPEN_EXISTING) == INVALID_HANDLE_VALUE);
    CHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    CHECK(!names::Exists("\xED\xA0\x80"));
    CHECK(!names::MakeFolder(""));
}

WIN_TEST(TheProgramsOwnPathIsUtf8) {
    const std::string path = names::ModulePath(nullptr);
    CHECK(path.size() > 4 && path.substr(path.size() - 4) == ".exe");
    CHECK(names::Exists(path.c_str()));
}

} // namespace
