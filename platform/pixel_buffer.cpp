#include "platform/pixel_buffer.h"

#include <cstring>

PixelBuffer::PixelBuffer(int width, int height, COLORREF fill) {
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
  // Row after row copied from one: a memmove a row, rather than a store a pixel that the
  // sanitizer build checks one by one (a minimised window may make one at a paint).
  const std::vector<std::uint32_t> row(static_cast<std::size_t>(width), Word(fill));
  words_.reserve(row.size() * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) words_.insert(words_.end(), row.begin(), row.end());
}

std::uint32_t PixelBuffer::Word(COLORREF colour) {
  // Built from bytes, so the memory order is R, G, B, A on any host.
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(GetRValue(colour)),
                                 static_cast<std::uint8_t>(GetGValue(colour)),
                                 static_cast<std::uint8_t>(GetBValue(colour)), 0xff};
  std::uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

COLORREF PixelBuffer::Pixel(int x, int y) const {
  const std::uint8_t* p = Bits() + static_cast<std::size_t>(y) * BytesPerLine() +
                          static_cast<std::size_t>(x) * 4;
  return RGB(p[0], p[1], p[2]);
}

void PixelBuffer::SetPixel(int x, int y, COLORREF colour) { Row(y)[x] = Word(colour); }
