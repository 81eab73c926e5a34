#include "browser/byte_stream.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the image is little-endian");

CByteStream::CByteStream() : m_mode(kWrite) {}

CByteStream::CByteStream(std::vector<std::uint8_t> image) : m_mode(kRead), m_readBuffer(std::move(image)) {}

bool CByteStream::ReadWrite(void* bytes, std::size_t n) {
    if (m_mode == kWrite) {
        const auto* p = static_cast<const std::uint8_t*>(bytes);
        m_writeBuffer.insert(m_writeBuffer.end(), p, p + n);
        return true;
    }
    if (m_failed || n > Remaining()) {
        m_failed = true;
        return false;
    }
    if (n > 0) std::memcpy(bytes, m_readBuffer.data() + m_readPosition, n);
    m_readPosition += n;
    return true;
}

bool CByteStream::ReadWriteU32(std::uint32_t& value) { return ReadWrite(&value, sizeof value); }

bool CByteStream::ReadWriteI32(std::int32_t& value) { return ReadWrite(&value, sizeof value); }

bool CByteStream::ReadWriteReal(double& value) { return ReadWrite(&value, sizeof value); }

bool CByteStream::ReadWriteString(std::string& text) {
    if (m_mode == kWrite) {
        std::uint32_t length = static_cast<std::uint32_t>(text.size());
        ReadWriteU32(length);
        return ReadWrite(text.data(), text.size());
    }
    text.clear();
    std::uint32_t length = 0;
    if (!ReadCount(length, 1)) return false;
    text.resize(length);
    return ReadWrite(text.data(), length);
}

bool CByteStream::ReadCount(std::uint32_t& count, std::size_t minElementBytes) {
    if (!ReadWriteU32(count)) return false;
    if (minElementBytes > 0 && count > Remaining() / minElementBytes) {
        m_failed = true;
        return false;
    }
    return true;
}
