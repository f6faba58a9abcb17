// Uncompressed AVI clips built byte by byte, for the AVI reader's tests and for scenes with
// a video face.
#pragma once

#include "PictureSourceTestSupport.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace avitest {
using Bytes = std::vector<uint8_t>;

inline Bytes Chunk(const char* tag, const Bytes& body) {
    Bytes out;
    PutTag(out, tag);
    PutU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) {
        out.push_back(0);
    }
    return out;
}
inline Bytes List(const char* type, const std::vector<Bytes>& items) {
    Bytes body;
    PutTag(body, type);
    for (const Bytes& item : items) {
        body.insert(body.end(), item.begin(), item.end());
    }
    return Chunk("LIST", body);
}

// Everything the test varies about a clip.
struct ClipRecipe {
    int width = 3, height = 2, bits = 24;
    uint32_t compression = 0;
    uint32_t scale = 1, rate = 15;
    bool audioFirst = false; // an audio stream before the video one
    std::vector<Bytes> frames;
    std::vector<Bytes> palette; // 4-byte entries for 8 bits per pixel
};

inline Bytes StreamList(const char* type, const ClipRecipe& recipe, uint32_t length) {
    Bytes strh;
    PutTag(strh, type);
    PutTag(strh, "DIB ");
    PutU32(strh, 0); // flags
    PutU32(strh, 0); // priority, language
    PutU32(strh, 0); // initial frames
    PutU32(strh, recipe.scale);
    PutU32(strh, recipe.rate);
    PutU32(strh, 0);      // start
    PutU32(strh, length); // length
    for (int i = 0; i < 3; ++i) {
        PutU32(strh, 0);
    }
    PutU32(strh, 0);
    PutU32(strh, 0);
    Bytes strf;
    PutU32(strf, 40);
    PutU32(strf, static_cast<uint32_t>(recipe.width));
    PutU32(strf, static_cast<uint32_t>(recipe.height));
    PutU16(strf, 1);
    PutU16(strf, static_cast<uint32_t>(recipe.bits));
    PutU32(strf, recipe.compression);
    for (int i = 0; i < 5; ++i) {
        PutU32(strf, 0);
    }
    for (const Bytes& entry : recipe.palette) {
        strf.insert(strf.end(), entry.begin(), entry.end());
    }
    return List("strl", {Chunk("strh", strh), Chunk("strf", strf)});
}

inline Bytes MakeAvi(const ClipRecipe& recipe) {
    std::vector<Bytes> streams;
    if (recipe.audioFirst) {
        streams.push_back(StreamList("auds", recipe, 0));
    }
    streams.push_back(StreamList("vids", recipe, static_cast<uint32_t>(recipe.frames.size())));
    Bytes avih(56, 0);
    avih[24] = static_cast<uint8_t>(streams.size()); // dwStreams
    std::vector<Bytes> hdrl{Chunk("avih", avih)};
    hdrl.insert(hdrl.end(), streams.begin(), streams.end());
    const char* tag = recipe.audioFirst ? "01db" : "00db";
    std::vector<Bytes> movi;
    if (recipe.audioFirst) {
        movi.push_back(Chunk("00wb", Bytes(10, 7)));
    }
    for (const Bytes& frame : recipe.frames) {
        movi.push_back(Chunk(tag, frame));
    }
    Bytes body;
    PutTag(body, "AVI ");
    for (const Bytes& part :
         {List("hdrl", hdrl), List("movi", movi), Chunk("idx1", Bytes(16, 0))}) {
        body.insert(body.end(), part.begin(), part.end());
    }
    return Chunk("RIFF", body);
}

// Rows of `rowBytes` bytes padded to 4, every byte of frame f, row r being f * 16 + r.
inline Bytes FrameBytes(int f, int rows, int rowBytes, bool pad = true) {
    const int stride = pad ? (rowBytes + 3) & ~3 : rowBytes;
    Bytes out(static_cast<size_t>(stride * rows), 0);
    for (int r = 0; r < rows; ++r) {
        std::memset(out.data() + r * stride, f * 16 + r, static_cast<size_t>(rowBytes));
    }
    return out;
}

} // namespace avitest
