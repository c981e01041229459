#pragma once
// SHA-256 for golden tests: digests of byte blocks as lower-case hex.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kxtest {

class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t size);
    // The digest of everything added; the object is spent afterwards.
    std::array<uint8_t, 32> Finish();

private:
    void Compress(const uint8_t* block);

    uint32_t m_state[8];
    uint8_t m_block[64];
    size_t m_blockUsed = 0;
    uint64_t m_totalBytes = 0;
};

std::string ToHex(const uint8_t* data, size_t size);
// The digest of one block of bytes in lower-case hex.
std::string Sha256Hex(const void* data, size_t size);

} // namespace kxtest
