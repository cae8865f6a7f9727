#include "platform/pixel_buffer.h"

#include <cstring>
#include <utility>

PixelBuffer::PixelBuffer(int width, int height, COLORREF fill) { Reset(width, height, fill); }

PixelBuffer::PixelBuffer(const PixelBuffer& other) { *this = other; }

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& other) {
  if (this == &other) return *this;
  Reserve(other.WordCount());
  width_ = other.width_;
  height_ = other.height_;
  if (!IsNull()) std::memcpy(words_.get(), other.words_.get(), SizeInBytes());
  return *this;
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept { *this = std::move(other); }

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
  if (this == &other) return *this;
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  capacity_ = std::exchange(other.capacity_, 0);
  words_ = std::move(other.words_);
  return *this;
}

void PixelBuffer::Reserve(std::size_t words) {
  if (words <= capacity_) return;
  words_.reset();  // the old pixels go before the new ones come
  capacity_ = 0;
  words_.reset(new std::uint32_t[words]);  // not zeroed: every use writes first
  capacity_ = words;
}

void PixelBuffer::Reset(int width, int height, COLORREF fill) {
  if (width <= 0 || height <= 0) {
    width_ = height_ = 0;
    return;
  }
  Reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  width_ = width;
  height_ = height;
  std::uint32_t* first = Row(0);
  const std::uint32_t word = Word(fill);
  for (int x = 0; x < width; ++x) first[x] = word;
  for (int y = 1; y < height; ++y) std::memcpy(Row(y), first, BytesPerLine());
}

bool operator==(const PixelBuffer& a, const PixelBuffer& b) {
  return a.width_ == b.width_ && a.height_ == b.height_ &&
         (a.IsNull() || std::memcmp(a.words_.get(), b.words_.get(), a.SizeInBytes()) == 0);
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
