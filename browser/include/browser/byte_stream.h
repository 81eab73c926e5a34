// The flat little-endian byte image of browser items, written or read in one pass.
//
// A stream is made for one save or one load. Reading never goes past the image: a count or length
// that runs past what is left marks the stream as failed, and every later read fails too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CByteStream {
public:
    enum Mode { kRead = 0, kWrite = 1 };

    // An empty stream in write mode.
    CByteStream();
    // A stream that reads the given image.
    explicit CByteStream(std::vector<std::uint8_t> image);

    Mode GetMode() const { return m_mode; }
    bool IsWriting() const { return m_mode == kWrite; }
    bool Failed() const { return m_failed; }
    std::size_t Remaining() const { return m_readBuffer.size() - m_readPosition; }
    bool AtEnd() const { return m_mode == kRead && Remaining() == 0; }
    const std::vector<std::uint8_t>& WriteBuffer() const { return m_writeBuffer; }

    // Appends n bytes in write mode; copies the next n bytes in read mode.
    bool ReadWrite(void* bytes, std::size_t n);
    bool ReadWriteU32(std::uint32_t& value);
    bool ReadWriteI32(std::int32_t& value);
    bool ReadWriteReal(double& value);
    // A u32 byte length, then the bytes (no terminator).
    bool ReadWriteString(std::string& text);

    // Reads a count and checks that count elements of at least minElementBytes each can still follow,
    // so an absurd count is refused before anything is allocated for it.
    bool ReadCount(std::uint32_t& count, std::size_t minElementBytes);

    // Marks the image as damaged (for checks made above the byte level).
    void Fail() { m_failed = true; }

private:
    Mode m_mode;
    bool m_failed = false;
    std::vector<std::uint8_t> m_writeBuffer;
    std::vector<std::uint8_t> m_readBuffer;
    std::size_t m_readPosition = 0;
};
