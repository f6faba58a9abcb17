// Small JPEG, PNG and TIFF files written by the libraries themselves, for the tests of the
// library-backed decoders.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace importtest {

// components 1 (grey), 3 (RGB) or 4 (CMYK); pixels top row first.
// With `ycck`, four-component pixels are stored as YCCK rather than CMYK.
inline std::vector<uint8_t> WriteJpeg(int width, int height, int components,
                                      const std::vector<uint8_t>& pixels, bool ycck = false) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    if (ycck) {
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    }
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(pixels.data() + cinfo.next_scanline * width * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

// The JPEG with an application marker (code 0xE0 + n) put in right after its start of
// image; payload at most 65533 bytes.
inline std::vector<uint8_t> WithMarker(std::vector<uint8_t> jpeg, int code,
                                       const std::vector<uint8_t>& payload) {
    const size_t length = payload.size() + 2;
    std::vector<uint8_t> marker = {0xFF, static_cast<uint8_t>(code),
                                   static_cast<uint8_t>(length >> 8),
                                   static_cast<uint8_t>(length & 0xFF)};
    marker.insert(marker.end(), payload.begin(), payload.end());
    jpeg.insert(jpeg.begin() + 2, marker.begin(), marker.end());
    return jpeg;
}

// The JPEG with `icc` in APP2 chunks of at most `chunk` bytes of profile each, in order.
inline std::vector<uint8_t> WithIccProfile(std::vector<uint8_t> jpeg,
                                           const std::vector<uint8_t>& icc, size_t chunk = 65519) {
    chunk = std::max(chunk, (icc.size() + 254) / 255); // at most 255 chunks
    const size_t count = (icc.size() + chunk - 1) / chunk;
    // Inserted after the start of image one by one, so the last chunk goes in first.
    for (size_t i = count; i-- > 0;) {
        static const char kName[] = "ICC_PROFILE";
        std::vector<uint8_t> payload(kName, kName + sizeof kName);
        payload.push_back(static_cast<uint8_t>(i + 1));
        payload.push_back(static_cast<uint8_t>(count));
        const size_t end = std::min(icc.size(), (i + 1) * chunk);
        payload.insert(payload.end(), icc.begin() + static_cast<ptrdiff_t>(i * chunk),
                       icc.begin() + static_cast<ptrdiff_t>(end));
        jpeg = WithMarker(std::move(jpeg), 0xE2, payload);
    }
    return jpeg;
}

// An Exif block (APP1 payload) of one entry, a big-endian IFD0 with the orientation.
inline std::vector<uint8_t> ExifWithOrientation(int orientation) {
    return {'E', 'x', 'i', 'f',  0,    0, 'M', 'M', 0, 42, 0, 0, 0,
            8,   0,   1,   0x01, 0x12, 0, 3,   0,   0, 0,  1, 0, static_cast<uint8_t>(orientation),
            0,   0,   0,   0,    0,    0};
}

struct PngSpec {
    int width = 1;
    int height = 1;
    int bitDepth = 8;
    int colourType = PNG_COLOR_TYPE_RGB;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<uint8_t> alpha; // tRNS for palettes
    int transparentGrey = -1;   // tRNS for grey
    std::vector<uint8_t> rows;  // packed rows as PNG stores them, top first
    std::vector<uint8_t> icc;   // an iCCP chunk's profile, when not empty
};

inline std::vector<uint8_t> WritePng(const PngSpec& s) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(s.width), static_cast<png_uint_32>(s.height),
                 s.bitDepth, s.colourType, s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) {
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    }
    if (!s.alpha.empty()) {
        png_set_tRNS(png, info, s.alpha.data(), static_cast<int>(s.alpha.size()), nullptr);
    }
    if (!s.icc.empty()) {
        png_set_iCCP(png, info, "profile", PNG_COMPRESSION_TYPE_BASE, s.icc.data(),
                     static_cast<png_uint_32>(s.icc.size()));
    }
    if (s.transparentGrey >= 0) {
        png_color_16 grey = {};
        grey.gray = static_cast<png_uint_16>(s.transparentGrey);
        png_set_tRNS(png, info, nullptr, 1, &grey);
    }
    png_write_info(png, info);
    const size_t rowBytes = s.rows.size() / static_cast<size_t>(s.height);
    std::vector<png_bytep> rows;
    for (int y = 0; y < s.height; ++y) {
        rows.push_back(const_cast<png_bytep>(s.rows.data() + static_cast<size_t>(y) * rowBytes));
    }
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An 8-bit RGB or RGBA TIFF written to path, with an ICC profile when `icc` is not empty;
// pixels top row first.
inline void WriteTiff(const std::string& path, int width, int height, int samples,
                      const std::vector<uint8_t>& pixels, const std::vector<uint8_t>& icc = {}) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    if (!icc.empty()) {
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(icc.size()), icc.data());
    }
    if (samples == 4) {
        const uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    for (int y = 0; y < height; ++y) {
        TIFFWriteScanline(tiff, const_cast<uint8_t*>(pixels.data() + y * width * samples),
                          static_cast<uint32_t>(y), 0);
    }
    TIFFClose(tiff);
}

} // namespace importtest
