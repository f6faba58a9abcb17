// Writes the default picture as a BMP file for the resource compiler:
//   make-default-picture res/picture140.bmp
// The file is the packed picture behind a 14-byte file header.
#include "import/DefaultPicture.h"

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-default-picture OUTPUT.bmp\n");
        return 2;
    }
    std::vector<BYTE> packed(kDefaultPictureBytes);
    PaintDefaultPicture(packed.data());
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfSize = static_cast<DWORD>(sizeof file + packed.size());
    file.bfOffBits = static_cast<DWORD>(sizeof file + sizeof(BITMAPINFOHEADER) + 256 * 4);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                    std::fwrite(packed.data(), packed.size(), 1, out) == 1;
    if (std::fclose(out) != 0 || !ok) {
        std::fprintf(stderr, "%s: write failed\n", argv[1]);
        return 1;
    }
    return 0;
}
