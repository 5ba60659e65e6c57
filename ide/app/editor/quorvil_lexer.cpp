#include "ide/app/editor/quorvil_lexer.h"

#include <Qsci/qsciscintilla.h>

#include <array>

#include "ide/app/editor/editor_colors.h"
#include "ide/core/settings_keys.h"

namespace qbc {

namespace {

struct StyleSlots {
  TextStyle style;
  const char* name;
  int color;
  int paper;
  int font;  // -1: always the plain font
};

constexpr std::array<StyleSlots, 7> kStyleSlots = {{
    {TextStyle::kText, "Text", settings::kSlotText, settings::kSlotTextBkg, -1},
    {TextStyle::kComment, "Comment", settings::kSlotComment, settings::kSlotCommentBkg, settings::kFontComment},
    {TextStyle::kKeyWord, "KeyWord", settings::kSlotKeyWord, settings::kSlotKeyWordBkg, settings::kFontKeyWord},
    {TextStyle::kTolkKeyword, "TolkKeyword", settings::kSlotTolkKeyword, settings::kSlotTolkKeywordBkg,
     settings::kFontTolkKeyWord},
    {TextStyle::kNumber, "Number", settings::kSlotNumber, settings::kSlotNumberBkg, -1},
    {TextStyle::kOperator, "Operator", settings::kSlotOperator, settings::kSlotOperatorBkg, settings::kFontOperator},
    {TextStyle::kString, "String", settings::kSlotString, settings::kSlotStringBkg, settings::kFontString},
}};

}  // namespace

QuorvilLexer::QuorvilLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString QuorvilLexer::description(int style) const {
  for (const auto& s : kStyleSlots)
    if (static_cast<int>(s.style) == style) return QString::fromLatin1(s.name);
  return QString();
}

void QuorvilLexer::styleText(int start, int end) {
  QsciScintilla* ed = editor();
  if (!ed) return;
  int line = 0;
  int index = 0;
  ed->lineIndexFromPosition(start, &line, &index);
  const int lines = ed->lines();
  const int lastLine = [&] {
    int l = 0;
    int i = 0;
    ed->lineIndexFromPosition(end, &l, &i);
    return l;
  }();
  bool inBlock = line > 0 && ed->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, line - 1) != 0;
  startStyling(static_cast<int>(ed->positionFromLineIndex(line, 0)));
  // Past the asked range, go on while a line's block-comment state changes: an opened or
  // closed "'(" changes the colour of the lines below it.
  for (; line < lines; ++line) {
    const QByteArray text = ed->text(line).toLatin1();
    StyledLine styled = StyleLine(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), inBlock);
    std::size_t k = 0;
    while (k < styled.styles.size()) {
      std::size_t run = k;
      while (run < styled.styles.size() && styled.styles[run] == styled.styles[k]) ++run;
      setStyling(static_cast<int>(run - k), static_cast<int>(styled.styles[k]));
      k = run;
    }
    const long before = ed->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, line);
    ed->SendScintilla(QsciScintillaBase::SCI_SETLINESTATE, line, styled.endsInBlockComment ? 1L : 0L);
    inBlock = styled.endsInBlockComment;
    if (line >= lastLine && before == (inBlock ? 1 : 0)) break;
  }
}

void QuorvilLexer::ApplyLook(const EditorLook& look, const QFont& baseFont) {
  const QColor window = ToQColor(look.Color(settings::kSlotWindow), Qt::white);
  for (const auto& s : kStyleSlots) {
    const int style = static_cast<int>(s.style);
    setColor(ToQColor(look.Color(s.color), Qt::black), style);
    setPaper(ToQColor(look.Color(s.paper), window), style);
    QFont f = baseFont;
    const int fontStyle = s.font < 0 ? 0 : look.Font(s.font);
    f.setBold((fontStyle & 1) != 0);
    f.setItalic((fontStyle & 2) != 0);
    f.setUnderline((fontStyle & 4) != 0);
    setFont(f, style);
  }
  setDefaultPaper(window);
  setDefaultColor(ToQColor(look.Color(settings::kSlotText), Qt::black));
  setDefaultFont(baseFont);
}

}  // namespace qbc
