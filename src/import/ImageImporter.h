// The picture importer: recognises a picture file by its content and decodes it into a
// packed picture (BITMAPINFOHEADER, colour table, rows padded to 4 bytes, bottom row
// first) in one GMEM_FIXED global block.
#pragma once

#include "import/ByteReader.h"
#include "import/GifDecoder.h"
#include "import/PictureLimits.h"
#include "platform/Win32.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Imports one picture (BMP, ICO/CUR, GIF, JPEG, PNG, TIFF, HEIF, AVIF or WebP, recognised by
// content) from the bytes of its file, within picture::kMaxPixelBytes of pixel rows. Returns
// a locked GMEM_FIXED global block that the caller owns (PackedPicture adopts it), or null.
// No memory stays held, whatever the outcome.
BITMAPINFOHEADER* ImportPicture(std::span<const uint8_t> bytes);
// The same for a file: reads it whole (at most picture::kMaxPictureFileBytes) and imports
// its bytes. No file stays open.
BITMAPINFOHEADER* ImportPicture(const char* fileName);
// How many decodes the still importer has begun in this process (tests count the work that
// a caller asks for).
uint64_t PicturesDecoded();

// One import, short-lived: construct, Identify, Decode, GetInfoSize, GetInfo, copy the
// pixels, FreePixels, destroy. The readers read the file's bytes through m_file, a reader
// over memory with a file's calls. Decoders report failures inside as exceptions (the
// framework's memory, file and user exceptions, or an Error value); Decode turns them into
// its result. Nothing else throws.
class ImageImporter {
  public:
    enum Format {
        None = 0, // the file cannot be opened
        Bmp = 1,
        Jpeg = 2,
        Gif = 3,
        Png = 4,
        Ico = 5,
        Tiff = 6,
        Unknown = 7, // no probe matched
        Heif = 8,
        Avif = 9,
        Webp = 10,
    };
    enum Error {
        Ok = 0,
        BadFile = 1,  // structure missing, or a variant the reader refuses
        Failed = 2,   // read past the end, library error, any other exception
        NoImage = 3,  // a GIF without an image
        NoMemory = 4, // an allocation failed
        TooLarge = 5, // the pixel buffer would exceed the pixel size limit
    };

    // The name users know a format by ("JPEG", "ICO/CUR"); "None" and "Unknown" for the
    // codes that name no format.
    static const char* FormatName(int format);

    ImageImporter();
    ImageImporter(const ImageImporter&) = delete;
    ImageImporter& operator=(const ImageImporter&) = delete;
    ~ImageImporter();

    // Reads the file (full name, else the bare name after the last backslash) into memory
    // and leaves the reader at its start. False when neither name opens or the file is
    // longer than picture::kMaxPictureFileBytes (m_tooLarge tells which).
    bool Open(const char* fileName);
    // Reads the caller's bytes, which must outlive the import. Always true.
    bool Open(std::span<const uint8_t> bytes);
    // Opens the file or the bytes and returns their Format, recognised by content; the
    // reader stays at the start. Never throws.
    int Identify(const char* fileName);
    int Identify(std::span<const uint8_t> bytes);
    // Decodes the identified file into the header, colour table and pixel buffer; frees
    // the pixel buffer on any result other than Ok. Never throws.
    Error Decode();
    // Bytes of the packed picture before its pixel rows: the header and the colour table.
    DWORD GetInfoSize() const;
    // Writes the header and colour table of the packed picture at target, which has room
    // for GetInfoSize() bytes.
    void GetInfo(BITMAPINFOHEADER* target) const;
    void FreePixels();

    // Reads exactly count bytes or raises the end-of-file CFileException.
    void ReadExact(void* buffer, UINT count);
    // Allocates a zeroed pixel buffer of stride × rows bytes: TooLarge above the limit
    // (and on overflow), NoMemory when the allocation fails. The Try form returns the
    // result instead of raising it, for code that runs between a library's calls.
    void AllocatePixels(uint64_t stride, uint64_t rows);
    Error TryAllocatePixels(uint64_t stride, uint64_t rows) noexcept;

    int m_format = None;
    ByteReader m_file;
    std::string m_fileName;
    bool m_open = false;
    // Open(fileName) refused the file for its length.
    bool m_tooLarge = false;
    uint8_t* m_pixels = nullptr;
    DWORD m_pixelSize = 0;
    DWORD m_pixelLimit = picture::kMaxPixelBytes;
    // JPEG only: the file is decoded at 1/m_jpegScale of its size (1, 2, 4 or 8).
    unsigned m_jpegScale = 1;
    BITMAPINFOHEADER m_header = {};
    // Blue, green, red, fourth byte; a bit-field bitmap's three masks land in entries 0-2.
    RGBQUAD m_colours[256] = {};
    GifDecoder m_gif;
    // Set by a reader that refuses a variant of its format: what is not supported, in
    // words a user can act on (static text). Null otherwise.
    const char* m_detail = nullptr;
    // The colour profile the file embeds (ICC bytes, whole), empty when it has none; set by
    // the readers, turned into sRGB once the pixels are decoded.
    std::vector<uint8_t> m_iccProfile;

  private:
    // One picture format: its code, its name, the probe that recognises its content and
    // the reader that decodes it.
    struct FormatEntry {
        Format format;
        const char* name;
        bool (ImageImporter::*probe)();
        void (ImageImporter::*read)();
    };
    // Every format, in probe order (PictureFormats.cpp).
    static std::span<const FormatEntry> Formats();
    static const FormatEntry* FindFormat(int format);

    void Close();
    int IdentifyOpened();
    void Dispatch();

    // The file's bytes when the importer read the file itself.
    std::vector<uint8_t> m_held;

    // The readers and decoders, one file each.
    void ReadBmp();
    void DecodeRle8(DWORD stride, DWORD rows);
    void ReadIco();
    void ReadGif();
    void ReadGifImage(LONG& left, LONG& top);
    void DecodeGifPixels(DWORD stride, bool interlaced);
    void ReadJpeg();
    void ReadPng();
    void ReadTiff();
    void ReadHeif();
    void ReadAvif();
    void DecodeHeifFamily();
    void ReadWebp();
    void ReadWebpFirstFrame();

    bool ProbeJpeg();
    bool ProbePng();
    bool ProbeTiff();
    bool ProbeGif();
    bool ProbeBmp();
    bool ProbeIco();
    bool ProbeHeif();
    bool ProbeAvif();
    bool ProbeWebp();
};

// What ImportPicture found out, for the import tool and the fuzz targets.
struct ImportReport {
    int format = ImageImporter::None;
    ImageImporter::Error result = ImageImporter::Failed;
    // For a file of a known format that was refused: what in it is not supported, in words
    // a user can act on ("BMP with embedded JPEG data"); null when there is nothing to add.
    const char* detail = nullptr;
    // The picture's size as its header gives it, also for one refused as too large; 0 when
    // the header was not read.
    LONG width = 0;
    LONG height = 0;
    // The depth of the picture as imported, before any layout step; 0 when refused.
    WORD bitCount = 0;
};

// ImportPicture with a pixel size limit of the caller's choice (the fuzz targets keep
// allocations small) and, when report is given, the format and the decode result.
// A packing allocation that fails reports NoMemory; a file too long to read reports format
// None and TooLarge. A JPEG is decoded at 1/jpegScale of its size (1, 2, 4 or 8).
BITMAPINFOHEADER* ImportPictureReporting(std::span<const uint8_t> bytes, DWORD pixelLimit,
                                         ImportReport* report, unsigned jpegScale = 1);
BITMAPINFOHEADER* ImportPictureReporting(const char* fileName, DWORD pixelLimit,
                                         ImportReport* report, unsigned jpegScale = 1);

// Picture geometry shared by the readers.
namespace picture {
// Bytes of one row of width pixels at bitCount bits, padded to 4 bytes.
constexpr uint64_t RowStride(uint64_t width, unsigned bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}
// Every format records 3780 pixels per metre (96 per inch) where it carries none.
constexpr LONG kDefaultPelsPerMeter = 3780;
// Fills in a fresh header for a decoded picture of the given size and depth.
void SetHeader(BITMAPINFOHEADER& header, LONG width, LONG height, WORD bitCount);
// Entry i is (i, i, i, 0); the colour table of every grey picture.
void SetGreyRamp(RGBQUAD* colours, BITMAPINFOHEADER& header);
} // namespace picture
