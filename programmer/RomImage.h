#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

// A raw flash image, read whole into a fixed buffer the size of the chip's
// flash. Bytes past the end of the image read as erased flash (0xFF), so the
// short last block of an image goes out already filled.
class RomImage {
  public:
    static constexpr std::size_t Capacity = 65536;
    static constexpr std::uint8_t ErasedByte = 0xFF;

    enum class LoadResult { Loaded, Unreadable, TooLarge };

    LoadResult load(const QString& path);

    std::size_t size() const { return length; }
    const std::uint8_t* data() const { return bytes.data(); }
    std::uint8_t at(std::size_t offset) const { return bytes[offset]; }

  private:
    std::array<std::uint8_t, Capacity> bytes{};
    std::size_t length = 0;
};
