#pragma once
// Device contexts and pens over a persistent surface (a QImage). Drawing goes straight
// into the surface, without antialiasing, as the original platform draws; the window
// only shows the surface. Needs Qt Gui, no widgets, so pictures can be made without a
// window.

#include <QImage>
#include <QRect>

#include "platform/types.h"

inline constexpr int PS_SOLID = 0;

/// The face colour a fresh surface is filled with: the dialog's background.
inline constexpr COLORREF kFaceColour = RGB(240, 240, 240);

/// A surface of the given client size, filled with the face colour.
QImage MakeSurface(int width, int height);

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
  explicit CDC(QImage* surface) : surface_(surface) {}
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
  /// Draws the icon at its large size (32 × 32) with its top-left corner at (x, y).
  BOOL DrawIcon(int x, int y, HICON icon);

  QImage* surface() const { return surface_; }
  /// The bounding box of the pixels this context has changed so far.
  QRect ChangedRect() const { return changed_; }

 private:
  QImage* surface_;
  QRect changed_;
  CPen* pen_ = nullptr;
  CPoint current_{};
};
