#pragma once
// The editor's colouring of the BASIC dialect ("Quorvil"): styles each line with
// StyleLine and carries an open block comment from line to line in the line state.
#include <Qsci/qscilexercustom.h>

#include "ide/core/basic_highlighter.h"
#include "ide/core/editor_look.h"

namespace qbc {

class QuorvilLexer : public QsciLexerCustom {
  Q_OBJECT
 public:
  explicit QuorvilLexer(QObject* parent = nullptr);

  const char* language() const override { return "Quorvil"; }
  QString description(int style) const override;
  void styleText(int start, int end) override;

  // Colours and font styles of the token classes from the look.
  void ApplyLook(const EditorLook& look, const QFont& baseFont);
};

}  // namespace qbc
