#pragma once
// The report box: a plain text model. The compiler reads, sets and appends its text; the
// environment shows it. Run-time failures of the compiler go to a separate channel (the
// environment shows them in a message box, qbc prints them on standard error).
#include <string>
#include <string_view>

namespace qbc {

class ReportSink {
 public:
  virtual ~ReportSink() = default;
  const std::string& Text() const { return text_; }
  void SetText(std::string_view text) { text_ = text; Changed(); }
  void Append(std::string_view text) { text_ += text; Changed(); }
  virtual void Failure(const std::string& description) { failure_ = description; }
  const std::string& LastFailure() const { return failure_; }

 protected:
  virtual void Changed() {}

 private:
  std::string text_;
  std::string failure_;
};

}  // namespace qbc
