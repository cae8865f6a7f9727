#pragma once
// A picture as plain memory: rows from the top, four bytes a pixel in the order red,
// green, blue, alpha, eight bits each, rows packed without padding. That is the layout
// of a browser's ImageData, and Qt reads it as QImage::Format_RGBX8888, so the same
// drawing shows in the window and on a page without conversion. Standard C++ only.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/types.h"

class PixelBuffer {
 public:
  /// The null buffer: no pixels.
  PixelBuffer() = default;
  /// A buffer of `width` × `height` pixels of one colour, fully opaque; null when
  /// either side is not positive.
  PixelBuffer(int width, int height, COLORREF fill);

  bool IsNull() const { return words_.empty(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  /// Bytes from one row to the next: four per pixel, no padding.
  std::size_t BytesPerLine() const { return static_cast<std::size_t>(width_) * 4; }
  std::size_t SizeInBytes() const { return words_.size() * 4; }
  /// The first byte of the top row: red of the pixel (0, 0).
  std::uint8_t* Bits() { return reinterpret_cast<std::uint8_t*>(words_.data()); }
  const std::uint8_t* Bits() const { return reinterpret_cast<const std::uint8_t*>(words_.data()); }

  /// The colour at (x, y), which must lie inside the buffer; alpha is not part of it.
  COLORREF Pixel(int x, int y) const;
  void SetPixel(int x, int y, COLORREF colour);

  /// One pixel of the given colour as it lies in memory, opaque: what the rows hold.
  static std::uint32_t Word(COLORREF colour);
  /// Row `y` as words of Word(); y must lie inside the buffer.
  std::uint32_t* Row(int y) { return words_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* Row(int y) const {
    return words_.data() + static_cast<std::size_t>(y) * width_;
  }

  friend bool operator==(const PixelBuffer&, const PixelBuffer&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> words_;  // whole words keep each pixel aligned
};
