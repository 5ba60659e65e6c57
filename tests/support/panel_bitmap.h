#pragma once
// The visible pixels of a graphic panel model as a W x H grid, for every panel model of
// the graphic LCD tests (PCD8544, T6963C, HD61202, SED1520).
//
// A test writes the picture it expects as ASCII art, one string per pixel row, '#' for a
// set pixel and '.' for a clear one; SameAs() compares and, on a mismatch, shows both
// pictures and writes the panel as a PBM image into <temp>/qbc-panels/:
//   EXPECT_TRUE(panel.Pixels().SameAs(expected, "glyph_cut"));
// A row shorter than the panel stands for clear pixels after it; missing rows are clear.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qbc::test {

class PanelBitmap {
 public:
  PanelBitmap(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Pixel(int x, int y) const;
  void Set(int x, int y, bool on);
  int SetPixels() const;

  // One string per row, '#' set and '.' clear.
  std::vector<std::string> Rows() const;
  // A picture of the same size from ASCII art (see the header comment).
  static PanelBitmap FromArt(int width, int height, const std::vector<std::string>& art);

  // Compares with the expected art; on a mismatch the message holds both pictures with
  // the differing rows marked, and the panel is written to <temp>/qbc-panels/<name>.pbm.
  testing::AssertionResult SameAs(const std::vector<std::string>& art, const std::string& name) const;

  // The plain PBM (P1) text of the picture.
  std::string Pbm() const;

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
};

// ASCII art helpers for expected pictures: a blank panel and a drawing surface.
std::vector<std::string> BlankArt(int width, int height);
// Marks '#' on the art from byte columns as a page-organised controller stores them:
// `bytes` are columns from x, bit 0 the top pixel of the 8-row bank `bank`.
void PutColumnBytes(std::vector<std::string>& art, int x, int bank, const std::vector<std::uint8_t>& bytes);

}  // namespace qbc::test
