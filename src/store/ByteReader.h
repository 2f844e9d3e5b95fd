#pragma once
// Bounds-checked little-endian reading over a byte buffer. Every read first
// checks that the bytes are there, so a stored length is never trusted before
// the data behind it is known to exist.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace solvane {

class TByteReader {
public:
    explicit TByteReader(std::string_view data) : m_data(data) {}

    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_data.size() - m_pos; }
    bool Has(std::size_t count) const { return count <= Remaining(); }
    unsigned char Peek() const { return static_cast<unsigned char>(m_data[m_pos]); }

    // Each returns false, consuming nothing, when the data ends first.
    bool ReadByte(unsigned char& value)
    {
        if (!Has(1))
            return false;
        value = static_cast<unsigned char>(m_data[m_pos++]);
        return true;
    }
    bool ReadInt16(std::int16_t& value) { return ReadRaw(&value, sizeof value); }
    bool ReadInt32(std::int32_t& value) { return ReadRaw(&value, sizeof value); }
    bool ReadBytes(std::size_t count, std::string_view& bytes)
    {
        if (!Has(count))
            return false;
        bytes = m_data.substr(m_pos, count);
        m_pos += count;
        return true;
    }

private:
    bool ReadRaw(void* target, std::size_t count)
    {
        if (!Has(count))
            return false;
        std::memcpy(target, m_data.data() + m_pos, count); // the file is little-endian, as is the host
        m_pos += count;
        return true;
    }

    std::string_view m_data;
    std::size_t m_pos = 0;
};

} // namespace solvane
