#pragma once
// Device contexts and pens over a persistent surface (a pixel buffer). Drawing goes
// straight into the surface, without antialiasing, as the original platform draws; the
// window or the page only shows the surface. Standard C++ only, so the same drawing
// builds for the desktop, the command line and the browser.

#include "platform/pixel_buffer.h"
#include "platform/types.h"

inline constexpr int PS_SOLID = 0;

/// The face colour a fresh surface is filled with: the dialog's background.
inline constexpr COLORREF kFaceColour = RGB(240, 240, 240);

/// A surface of the given client size, filled with the face colour; null when a side
/// is not positive.
PixelBuffer MakeSurface(int width, int height);

class CPen {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
  BOOL CreatePen(int style, int width, COLORREF colour);
  BOOL DeleteObject();

  bool valid() const { return valid_; }
  int style() const { return style_; }
  int width() const { return width_; }
  COLORREF colour() const { return colour_; }

 private:
  bool valid_ = false;
  int style_ = PS_SOLID;
  int width_ = 1;
  COLORREF colour_ = RGB(0, 0, 0);
};

/// A device context drawing on a surface it does not own. A wide solid pen draws with
/// round ends and joins; coordinates are pixels of the surface, clipped to it.
class CDC {
 public:
  explicit CDC(PixelBuffer* surface) : surface_(surface) {}
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  virtual ~CDC() = default;

  /// Selects a pen; returns the one selected before (nullptr: the stock black pen).
  CPen* SelectObject(CPen* pen);
  /// Moves the current position; returns the previous one.
  CPoint MoveTo(int x, int y);
  /// A line from the current position to (x, y) with the selected pen, which then
  /// becomes the current position.
  BOOL LineTo(int x, int y);
  /// Fills x .. x+cx-1, y .. y+cy-1 with one colour.
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);

  PixelBuffer* surface() const { return surface_; }
  /// The bounding box of the pixels this context has changed so far; empty when none.
  CRect ChangedRect() const { return changed_; }
  /// Adds an area that drawing outside this class changed (an icon drawn by Qt).
  void NoteChanged(const CRect& area);

 private:
  PixelBuffer* surface_;
  CRect changed_;
  CPen* pen_ = nullptr;
  CPoint current_{};
};
