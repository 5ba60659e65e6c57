#pragma once
// The figures the graphic LCD drivers draw, drawn on the host into ASCII art of a panel
// of W x H pixels (clipped to it), for the panel tests to compare the models with: spans
// in either order, boxes, the drivers' integer line (accumulator from half the major
// distance) and midpoint circle (points whose column or row leaves 0 to 255 passed over),
// bytes of page- or row-organised memory and inverted areas.
#include <cstdint>
#include <string>
#include <vector>

namespace qbc::test {

class HostDrawing {
 public:
  HostDrawing(int width, int height);

  void Plot(int x, int y, bool on = true);
  void LineH(int x1, int y, int x2);
  void LineV(int x, int y1, int y2);
  void Box(int x1, int y1, int x2, int y2);
  void Line(int x1, int y1, int x2, int y2);
  void Circle(int cx, int cy, int r);
  // Column bytes from x on page `page` (bit 0 the top pixel), set and clear pixels alike.
  void Bytes(int x, int page, const std::vector<std::uint8_t>& bytes);
  // Complements the pixels of columns x1..x2 on pages p1..p2.
  void Invert(int x1, int p1, int x2, int p2);
  // Bytes of row-organised memory from byte column `column` on pixel row y, each
  // `pixels_per_byte` pixels wide (8, or 6) with its left pixel in the top bit used; set
  // and clear pixels alike.
  void RowBytes(int column, int y, int pixels_per_byte, const std::vector<std::uint8_t>& bytes);
  // Complements the pixels of x1..x2, y1..y2.
  void InvertPixels(int x1, int y1, int x2, int y2);

  const std::vector<std::string>& Art() const { return art_; }

 private:
  int width_;
  int height_;
  std::vector<std::string> art_;
};

}  // namespace qbc::test
