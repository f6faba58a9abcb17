// Ownership of one packed picture (header, colour table, rows bottom-up) in a locked
// GMEM_FIXED global block, as the importer hands it out: the one place that knows how such
// a block is given back.
#pragma once

#include "platform/Win32.h"

#include <cstddef>
#include <utility>

class PackedPicture {
  public:
    PackedPicture() = default;
    // Adopts a block from ImportPicture (or null).
    explicit PackedPicture(BITMAPINFOHEADER* adopted) : m_picture(adopted) {}
    PackedPicture(PackedPicture&& other) noexcept : m_picture(other.release()) {}
    PackedPicture& operator=(PackedPicture&& other) noexcept {
        reset(other.release());
        return *this;
    }
    PackedPicture(const PackedPicture&) = delete;
    PackedPicture& operator=(const PackedPicture&) = delete;
    ~PackedPicture() { reset(); }

    BITMAPINFOHEADER* get() const { return m_picture; }
    const BITMAPINFOHEADER* operator->() const { return m_picture; }
    explicit operator bool() const { return m_picture != nullptr; }
    friend bool operator==(const PackedPicture& p, std::nullptr_t) { return !p.m_picture; }
    // Hands the block to the caller, who then gives it back with Free.
    BITMAPINFOHEADER* release() { return std::exchange(m_picture, nullptr); }
    void reset(BITMAPINFOHEADER* adopted = nullptr) { Free(std::exchange(m_picture, adopted)); }

    // Unlocks and frees a block the importer handed out; null is allowed.
    static void Free(BITMAPINFOHEADER* picture) {
        if (picture) {
            const HGLOBAL block = GlobalHandle(picture);
            GlobalUnlock(block);
            GlobalFree(block);
        }
    }

  private:
    BITMAPINFOHEADER* m_picture = nullptr;
};
