#pragma once
// The report box: a plain text model. The compiler reads, sets and appends its text; the
// environment shows it. Run-time failures of the compiler go to a separate channel (the
// environment shows them in a message box, qbc prints them on standard error).
#include <cstddef>
#include <string>
#include <string_view>

namespace qbc {

class ReportSink {
 public:
  virtual ~ReportSink() = default;
  const std::string& Text() const { return text_; }
  void SetText(std::string_view text) {
    text_ = text;
    kept_ = 0;
    Changed();
  }
  void Append(std::string_view text) {
    kept_ = text_.size();
    text_ += text;
    Changed();
  }
  virtual void Failure(const std::string& description) { failure_ = description; }
  const std::string& LastFailure() const { return failure_; }

 protected:
  virtual void Changed() {}
  // How many leading bytes of the text the last change left as they were (an Append keeps
  // all that was there, SetText none).
  std::size_t Kept() const { return kept_; }

 private:
  std::string text_;
  std::size_t kept_ = 0;
  std::string failure_;
};

}  // namespace qbc
