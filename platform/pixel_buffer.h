#pragma once
// A picture as plain memory: rows from the top, four bytes a pixel in the order red,
// green, blue, alpha, eight bits each, rows packed without padding. That is the layout
// of a browser's ImageData, and Qt reads it as QImage::Format_RGBX8888, so the same
// drawing shows in the window and on a page without conversion. Standard C++ only.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/types.h"

class PixelBuffer {
 public:
  /// The null buffer: no pixels.
  PixelBuffer() = default;
  /// A buffer of `width` × `height` pixels of one colour, fully opaque; null when
  /// either side is not positive.
  PixelBuffer(int width, int height, COLORREF fill);

  // Copies keep the memory they have when it is large enough: a window that keeps
  // putting back a picture (or growing again after a shrink) makes no new one.
  PixelBuffer(const PixelBuffer& other);
  PixelBuffer& operator=(const PixelBuffer& other);
  PixelBuffer(PixelBuffer&& other) noexcept;
  PixelBuffer& operator=(PixelBuffer&& other) noexcept;
  ~PixelBuffer() = default;

  /// As PixelBuffer(width, height, fill), in the memory this one has when it suffices.
  void Reset(int width, int height, COLORREF fill);

  bool IsNull() const { return width_ == 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  /// Bytes from one row to the next: four per pixel, no padding.
  std::size_t BytesPerLine() const { return static_cast<std::size_t>(width_) * 4; }
  std::size_t SizeInBytes() const { return WordCount() * 4; }
  /// The first byte of the top row: red of the pixel (0, 0).
  std::uint8_t* Bits() { return reinterpret_cast<std::uint8_t*>(words_.get()); }
  const std::uint8_t* Bits() const { return reinterpret_cast<const std::uint8_t*>(words_.get()); }

  /// The colour at (x, y), which must lie inside the buffer; alpha is not part of it.
  COLORREF Pixel(int x, int y) const;
  void SetPixel(int x, int y, COLORREF colour);

  /// One pixel of the given colour as it lies in memory, opaque: what the rows hold.
  static std::uint32_t Word(COLORREF colour);
  /// Row `y` as words of Word(); y must lie inside the buffer.
  std::uint32_t* Row(int y) { return words_.get() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* Row(int y) const {
    return words_.get() + static_cast<std::size_t>(y) * width_;
  }

  /// Same size and same pixels.
  friend bool operator==(const PixelBuffer& a, const PixelBuffer& b);

 private:
  std::size_t WordCount() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  }
  /// Room for `words` pixels; what the buffer held is not kept when it grows.
  void Reserve(std::size_t words);

  int width_ = 0;
  int height_ = 0;
  std::size_t capacity_ = 0;
  // Whole words keep each pixel aligned. Filled and copied with memcpy, a row or the
  // whole at a time, never a store a pixel (which the sanitizer build checks one by one).
  std::unique_ptr<std::uint32_t[]> words_;
};
