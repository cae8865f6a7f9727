#include "platform/pixel_buffer.h"

#include <cstring>

PixelBuffer::PixelBuffer(int width, int height, COLORREF fill) {
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
  words_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), Word(fill));
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
