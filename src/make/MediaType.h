// Recognises, by content, the files people hold that the saver's own loaders do not take:
// video containers, animated pictures, picture formats of phones and browsers, and the BMP
// variants the importer may refuse. Only the structure at the start of the file is read.
#pragma once

#include <cstdint>
#include <span>
#include <string>

enum class MediaKind {
    kUnknown,
    kMp4,           // ISO base media file ("ftyp" brand isom, mp41, mp42, ...)
    kQuickTime,     // "ftyp" brand "qt  ", or a bare moov/mdat/wide box
    kThreeGp,       // "ftyp" brand 3gp*/3g2*
    kMp4Audio,      // "ftyp" brand "M4A ": no picture at all
    kHeif,          // "ftyp" brand heic, heix, mif1, ...: a still picture
    kAvif,          // "ftyp" brand avif/avis
    kMatroska,      // EBML with DocType "matroska"
    kWebm,          // EBML with DocType "webm"
    kAnimatedWebp,  // RIFF WEBP with an ANIM chunk
    kWebp,          // RIFF WEBP, one picture
    kAnimatedPng,   // PNG with an acTL chunk before the first IDAT
    kAsf,           // ASF (WMV) header object
    kOgg,           // "OggS"
    kFlv,           // "FLV\1"
    kMpegProgram,   // pack header 00 00 01 BA
    kMpegTransport, // sync byte 0x47 every 188 bytes
    kBmp,           // "BM" with its info header's size and compression
    kJpegXl,        // JPEG XL, bare codestream (FF 0A) or in its container box
    kJpeg,          // FF D8 FF: a JPEG start, whatever follows
};

struct MediaType {
    MediaKind kind = MediaKind::kUnknown;
    std::string name; // for the user: "MP4 video", "BMP with a 124-byte header", ...
    // ffmpeg can make an AVI of it (a clip or an animation).
    bool moving = false;
    int frames = 0; // an animated PNG's frame count as its acTL chunk gives it
};

// What `head` (the file's first bytes; 1 MiB is plenty) is, as far as this knows.
MediaType RecogniseMedia(std::span<const uint8_t> head);
