#pragma once
// The report box `txRep`: the compiler's and the assembler's lines. Its text model keeps
// CR LF line ends as the compiler writes them; the box shows them as lines. Any key
// pressed in the box puts its text on the clipboard.
#include <QPlainTextEdit>
#include <functional>

#include "compiler/base/report.h"

namespace qbc {

class ReportBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit ReportBox(QWidget* parent = nullptr);

  // The model the build writes into; every change shows at once.
  ReportSink& Sink() { return sink_; }
  void Clear() { sink_.SetText(""); }

  // Called with a run-time failure of the compiler.
  std::function<void(const QString&)> onFailure;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  class BoxSink : public ReportSink {
   public:
    explicit BoxSink(ReportBox& box) : box_(box) {}
    void Failure(const std::string& description) override;

   protected:
    void Changed() override;

   private:
    ReportBox& box_;
  };

  BoxSink sink_{*this};
};

}  // namespace qbc
