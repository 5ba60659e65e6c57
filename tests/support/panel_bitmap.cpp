#include "tests/support/panel_bitmap.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qbc::test {

PanelBitmap::PanelBitmap(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), 0) {}

bool PanelBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return pixels_[static_cast<std::size_t>(y * width_ + x)] != 0;
}

void PanelBitmap::Set(int x, int y, bool on) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y * width_ + x)] = on ? 1 : 0;
}

int PanelBitmap::SetPixels() const {
  int n = 0;
  for (auto p : pixels_) n += p;
  return n;
}

std::vector<std::string> PanelBitmap::Rows() const {
  std::vector<std::string> rows;
  for (int y = 0; y < height_; ++y) {
    std::string row;
    for (int x = 0; x < width_; ++x) row += Pixel(x, y) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

PanelBitmap PanelBitmap::FromArt(int width, int height, const std::vector<std::string>& art) {
  PanelBitmap b(width, height);
  for (int y = 0; y < height && y < static_cast<int>(art.size()); ++y)
    for (int x = 0; x < width && x < static_cast<int>(art[static_cast<std::size_t>(y)].size()); ++x)
      b.Set(x, y, art[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#');
  return b;
}

std::string PanelBitmap::Pbm() const {
  std::ostringstream out;
  out << "P1\n" << width_ << " " << height_ << "\n";
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) out << (Pixel(x, y) ? '1' : '0') << (x + 1 < width_ ? " " : "");
    out << "\n";
  }
  return out.str();
}

testing::AssertionResult PanelBitmap::SameAs(const std::vector<std::string>& art, const std::string& name) const {
  const PanelBitmap want = FromArt(width_, height_, art);
  if (want.pixels_ == pixels_) return testing::AssertionSuccess();
  // Kept after the run (unlike the tests' temporary folders) to be looked at.
  const auto dir = std::filesystem::temp_directory_path() / "qbc-panels";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const std::string path = (dir / (name + ".pbm")).string();
  std::ofstream(path) << Pbm();
  std::ostringstream msg;
  msg << "the panel differs from the expected picture (panel written to " << path << ")\n"
      << "   expected" << std::string(static_cast<std::size_t>(width_ > 8 ? width_ - 8 : 1), ' ') << "   panel\n";
  const auto got = Rows();
  const auto exp = want.Rows();
  for (int y = 0; y < height_; ++y) {
    const auto i = static_cast<std::size_t>(y);
    msg << (exp[i] == got[i] ? "   " : ">> ") << exp[i] << "   " << got[i] << "\n";
  }
  return testing::AssertionFailure() << msg.str();
}

std::vector<std::string> BlankArt(int width, int height) {
  return std::vector<std::string>(static_cast<std::size_t>(height), std::string(static_cast<std::size_t>(width), '.'));
}

void PutColumnBytes(std::vector<std::string>& art, int x, int bank, const std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i)
    for (int bit = 0; bit < 8; ++bit) {
      const int row = bank * 8 + bit;
      const int col = x + static_cast<int>(i);
      if (row < 0 || row >= static_cast<int>(art.size())) continue;
      auto& line = art[static_cast<std::size_t>(row)];
      if (col < 0 || col >= static_cast<int>(line.size())) continue;
      if (bytes[i] & (1 << bit)) line[static_cast<std::size_t>(col)] = '#';
    }
}

}  // namespace qbc::test
