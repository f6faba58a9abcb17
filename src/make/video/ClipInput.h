// Where a clip's bytes come from when the decoder reads them: memory or an open file, read
// and sought through calls of ours, so that no file name (or protocol) ever reaches the
// demuxer and every read is bounded by the clip's own size.
#pragma once

#include <cstdint>
#include <fstream>
#include <span>
#include <string>

class ClipInput {
  public:
    virtual ~ClipInput() = default;
    // Up to `count` bytes at the current position into `to`; how many (0 at the end, -1 on
    // a failure to read).
    virtual int Read(uint8_t* to, int count) = 0;
    // Moves to `offset` from the start; false outside the clip.
    virtual bool Seek(uint64_t offset) = 0;
    virtual uint64_t Position() const = 0;
    virtual uint64_t Size() const = 0;
};

class ClipBytes final : public ClipInput {
  public:
    explicit ClipBytes(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    int Read(uint8_t* to, int count) override;
    bool Seek(uint64_t offset) override;
    uint64_t Position() const override { return m_at; }
    uint64_t Size() const override { return m_bytes.size(); }

  private:
    std::span<const uint8_t> m_bytes;
    uint64_t m_at = 0;
};

class ClipFile final : public ClipInput {
  public:
    // False (with the reason in `error`) when it is no file that can be read and measured.
    bool Open(const std::string& path, std::string& error);
    int Read(uint8_t* to, int count) override;
    bool Seek(uint64_t offset) override;
    uint64_t Position() const override { return m_at; }
    uint64_t Size() const override { return m_size; }

  private:
    std::ifstream m_in;
    uint64_t m_size = 0;
    uint64_t m_at = 0;
};
