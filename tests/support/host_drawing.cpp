#include "tests/support/host_drawing.h"

#include <algorithm>
#include <cstdlib>

#include "tests/support/panel_bitmap.h"

namespace qbc::test {

HostDrawing::HostDrawing(int width, int height) : width_(width), height_(height), art_(BlankArt(width, height)) {}

void HostDrawing::Plot(int x, int y, bool on) {
  if (x >= 0 && x < width_ && y >= 0 && y < height_)
    art_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = on ? '#' : '.';
}

void HostDrawing::LineH(int x1, int y, int x2) {
  for (int x = std::min(x1, x2); x <= std::max(x1, x2); ++x) Plot(x, y);
}

void HostDrawing::LineV(int x, int y1, int y2) {
  for (int y = std::min(y1, y2); y <= std::max(y1, y2); ++y) Plot(x, y);
}

void HostDrawing::Box(int x1, int y1, int x2, int y2) {
  LineH(x1, y1, x2);
  LineV(x1, y1, y2);
  LineV(x2, y1, y2);
  LineH(x1, y2, x2);
}

void HostDrawing::Line(int x1, int y1, int x2, int y2) {
  const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  const int sx = x2 >= x1 ? 1 : -1, sy = y2 >= y1 ? 1 : -1;
  const bool xmajor = dx >= dy;
  const int major = xmajor ? dx : dy, minor = xmajor ? dy : dx;
  int acc = major / 2, x = x1, y = y1;
  for (int n = 0; n <= major; ++n) {
    Plot(x & 255, y & 255);
    acc += minor;
    if (acc >= major) {
      acc -= major;
      (xmajor ? y : x) += xmajor ? sy : sx;
    }
    (xmajor ? x : y) += xmajor ? sx : sy;
  }
}

void HostDrawing::Circle(int cx, int cy, int r) {
  auto eight = [&](int x, int y) {
    const int pts[8][2] = {{cx + x, cy + y}, {cx + x, cy - y}, {cx - x, cy + y}, {cx - x, cy - y},
                           {cx + y, cy + x}, {cx + y, cy - x}, {cx - y, cy + x}, {cx - y, cy - x}};
    for (const auto& p : pts)
      if (p[0] >= 0 && p[0] <= 255 && p[1] >= 0 && p[1] <= 255) Plot(p[0], p[1]);
  };
  int x = 0, y = r, d = 1 - r;
  eight(x, y);
  while (x < y) {
    ++x;
    if (d < 0) {
      d += 2 * x + 1;
    } else {
      --y;
      d += 2 * (x - y) + 1;
    }
    eight(x, y);
  }
}

void HostDrawing::Bytes(int x, int page, const std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i)
    for (int bit = 0; bit < 8; ++bit) Plot(x + static_cast<int>(i), page * 8 + bit, (bytes[i] >> bit) & 1);
}

void HostDrawing::Invert(int x1, int p1, int x2, int p2) {
  for (int y = p1 * 8; y < (p2 + 1) * 8 && y < height_; ++y)
    for (int x = x1; x <= x2 && x < width_; ++x) {
      char& c = art_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      c = c == '#' ? '.' : '#';
    }
}

void HostDrawing::RowBytes(int column, int y, int pixels_per_byte, const std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i)
    for (int k = 0; k < pixels_per_byte; ++k)
      Plot((column + static_cast<int>(i)) * pixels_per_byte + k, y, (bytes[i] >> (pixels_per_byte - 1 - k)) & 1);
}

void HostDrawing::InvertPixels(int x1, int y1, int x2, int y2) {
  for (int y = std::max(y1, 0); y <= y2 && y < height_; ++y)
    for (int x = std::max(x1, 0); x <= x2 && x < width_; ++x) {
      char& c = art_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      c = c == '#' ? '.' : '#';
    }
}

}  // namespace qbc::test
