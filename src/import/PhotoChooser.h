// Which photo of a folder a face shows next. The chooser holds the names a scan found (at
// most kMaxPhotoNames; the rest of a larger folder is never shown) and hands them out in
// the folder's order, never one that is on a face already: every face of every monitor's
// scene asks the one chooser, so as long as the folder holds more photos than there are
// faces, no photo is on two faces at once.
//
// Shuffle draws at random from the photos not yet shown in this round; a round ends when
// every photo has been shown. Name and date walk a sequence sorted once the scan has
// ended (before that, the order the scan found them in), going on after the photo shown
// last. Not thread-safe: the caller holds its lock around every call.
#pragma once

#include "import/PhotoFolderSetting.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// 100,000 names of about 100 bytes hold about 13 MB, the most the saver spends on names.
constexpr uint32_t kMaxPhotoNames = 100000;

class PhotoChooser {
  public:
    PhotoChooser(PhotoOrder order, uint32_t seed);

    // Adds a photo with the time it sorts by in date order; false when the list is full.
    bool Add(std::string name, uint64_t time);
    uint32_t Count() const { return static_cast<uint32_t>(m_names.size()); }
    const std::string& Name(uint32_t index) const { return m_names[index]; }

    // The sequence of the chooser's order over the names added so far (shuffle: as added).
    // Reads only what Add writes, so the one thread that adds may call it without the lock.
    std::vector<uint32_t> SortedSequence() const;
    // Walks `sequence` (from SortedSequence, all names) from here on.
    void UseSequence(std::vector<uint32_t> sequence);

    // The next photo to show, now in use; none when every photo is in use or dropped.
    std::optional<uint32_t> Next();
    // A photo left its face.
    void Release(uint32_t index);
    // A photo that could not be read now (its folder away): in use no more and, in
    // shuffle, not yet shown in this round.
    void PutBack(uint32_t index);
    // A file that is no picture: never chosen again.
    void Drop(uint32_t index);
    bool InUse(uint32_t index) const { return (m_state[index] & kInUse) != 0; }

  private:
    static constexpr uint8_t kInUse = 1;
    static constexpr uint8_t kDropped = 2;

    bool Eligible(uint32_t index) const { return m_state[index] == 0; }
    std::optional<uint32_t> NextShuffled();
    std::optional<uint32_t> NextInSequence();
    uint32_t Random();

    PhotoOrder m_order;
    uint32_t m_random;
    std::vector<std::string> m_names;
    std::vector<uint64_t> m_times;
    std::vector<uint8_t> m_state;
    std::vector<uint32_t> m_pool;     // shuffle: not yet shown in this round
    std::vector<uint32_t> m_sequence; // name and date: the walk
    size_t m_cursor = 0;              // in m_sequence, the next to try
};
