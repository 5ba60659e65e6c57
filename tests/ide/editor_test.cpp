// The editor window: colouring in the editor, the look from the settings store, the
// caret position and the editor command.
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QSettings>

#include "ide/app/commands/document_manager.h"
#include "ide/app/editor/editor_look_store.h"
#include "ide/app/services/settings_store.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/core/basic_highlighter.h"
#include "ide/core/settings_keys.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

int StyleAt(QsciScintilla* rt, int line, int index) {
  const long pos = rt->positionFromLineIndex(line, index);
  return static_cast<int>(rt->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(pos)));
}

constexpr int S(TextStyle s) { return static_cast<int>(s); }

TEST_F(EnvTest, TheEditorColoursTheProgram) {
  Start();
  FrmDoc* doc = main->Documents().NewBasDoc();
  QsciScintilla* rt = doc->rt();
  rt->setText(QStringLiteral("$Device = m8\r\n"
                             "DO : Loop : do\r\n"
                             "'( one\r\n"
                             "two\r\n"
                             "three )' x = \"a'b\" ' c\r\n"
                             "Print 12\r\n"));
  rt->recolor();
  struct Probe {
    int line, index, style;
  };
  const Probe probes[] = {
      {0, 0, S(TextStyle::kTolkKeyword)}, {0, 6, S(TextStyle::kTolkKeyword)}, {0, 8, S(TextStyle::kOperator)},
      {1, 0, S(TextStyle::kKeyWord)},     {1, 5, S(TextStyle::kKeyWord)},     {1, 12, S(TextStyle::kKeyWord)},
      {2, 0, S(TextStyle::kComment)},     {3, 1, S(TextStyle::kComment)},     {4, 3, S(TextStyle::kComment)},
      {4, 9, S(TextStyle::kText)},        {4, 14, S(TextStyle::kString)},     {4, 15, S(TextStyle::kString)},
      {4, 19, S(TextStyle::kComment)},    {5, 0, S(TextStyle::kKeyWord)},     {5, 6, S(TextStyle::kNumber)},
  };
  for (const Probe& p : probes) EXPECT_EQ(StyleAt(rt, p.line, p.index), p.style) << p.line << ":" << p.index;

  // Closing the block comment's start turns the lines below it back into code.
  rt->setSelection(2, 0, 2, 2);
  rt->replaceSelectedText(QStringLiteral("  "));
  rt->recolor();
  EXPECT_EQ(StyleAt(rt, 3, 1), S(TextStyle::kText));
}

TEST_F(EnvTest, AFirstStartWritesEveryDefaultBackWhenTheWindowCloses) {
  Start();
  ASSERT_TRUE(main->Documents().ActiveDoc()->close());
  auto store = OpenSettingsStore();
  for (const auto& k : settings::kColorKeys)
    EXPECT_EQ(Setting(settings::kColors, k.key), QString::number(k.defaultValue)) << k.key;
  for (const auto& k : settings::kFontKeys) EXPECT_EQ(Setting(settings::kFonts, k.key), QStringLiteral("0")) << k.key;
  EXPECT_EQ(Setting(settings::kStartup, settings::kSelBound), QStringLiteral("True"));
  EXPECT_EQ(Setting(settings::kColors, "Window"), QStringLiteral("14737632"));
  EXPECT_EQ(Setting(settings::kColors, "TextBkg"), QStringLiteral("-1"));
}

TEST_F(EnvTest, StoredColoursAndStylesReachTheEditor) {
  SetSetting(settings::kColors, "KeyWord", QStringLiteral("255"));       // red
  SetSetting(settings::kColors, "Window", QStringLiteral("16777215"));   // white
  SetSetting(settings::kFonts, "KeyWord", QStringLiteral("1"));          // bold
  SetSetting(settings::kColors, "Comment", QStringLiteral("green"));     // not a number
  SetSetting(settings::kStartup, settings::kSelBound, QStringLiteral("False"));
  Start();
  FrmDoc* doc = main->Documents().ActiveDoc();
  QsciLexer* lexer = doc->rt()->lexer();
  EXPECT_EQ(lexer->color(S(TextStyle::kKeyWord)), QColor(255, 0, 0));
  EXPECT_TRUE(lexer->font(S(TextStyle::kKeyWord)).bold());
  EXPECT_FALSE(lexer->font(S(TextStyle::kText)).bold());
  EXPECT_EQ(lexer->paper(S(TextStyle::kText)), QColor(255, 255, 255));
  EXPECT_EQ(lexer->color(S(TextStyle::kComment)), QColor(0, 128, 1));
  EXPECT_FALSE(doc->Look().selBound);
  ASSERT_TRUE(doc->close());
  EXPECT_EQ(Setting(settings::kColors, "Comment"), QStringLiteral("98304"));
  EXPECT_EQ(Setting(settings::kStartup, settings::kSelBound), QStringLiteral("False"));
}

TEST_F(EnvTest, CancelOnTheCloseQuestionStillWritesTheLook) {
  Start();
  FrmDoc* doc = main->Documents().ActiveDoc();
  doc->rt()->insert(QStringLiteral("x"));
  services.answers = {DesktopServices::Answer::kCancel};
  EXPECT_FALSE(doc->close());
  EXPECT_EQ(Setting(settings::kColors, "BookMark"), QStringLiteral("255"));
}

TEST_F(EnvTest, TheCaretPositionShowsInTheStatusBar) {
  Start();
  QsciScintilla* rt = main->Documents().ActiveDoc()->rt();
  auto* pos = main->findChild<QLabel*>(QStringLiteral("pos"));
  rt->setCursorPosition(4, 3);
  QApplication::processEvents();
  rt->setCursorPosition(0, 0);
  QApplication::processEvents();
  EXPECT_EQ(pos->text(), QStringLiteral("Line:   1    Col:   1"));
  rt->setCursorPosition(9, 2);
  QApplication::processEvents();
  EXPECT_EQ(pos->text(), QStringLiteral("Line:   10    Col:   3"));
}

TEST_F(EnvTest, OnlyTheNewestEditorCommandNumberRunsTheCommand) {
  Start();
  FrmDoc* first = main->Documents().ActiveDoc();
  EXPECT_EQ(first->CommandId(), 1001);
  FrmDoc* second = main->Documents().NewBasDoc();
  EXPECT_EQ(second->CommandId(), 1002);
  first->rt()->insert(QStringLiteral("abc"));
  first->rt()->undo();
  main->Documents().EditorCommand(first, 1001);
  EXPECT_FALSE(first->rt()->text().startsWith(QStringLiteral("abc")));
  main->Documents().EditorCommand(first, 1002);
  EXPECT_TRUE(first->rt()->text().startsWith(QStringLiteral("abc")));
}

// The line-number margin grows with the text: line 123,456 shows all six digits (the
// margin held five, and showed 23456).
TEST_F(EnvTest, TheLineNumberMarginShowsEveryDigit) {
  Start();
  const QString path = WriteWorkFile(QStringLiteral("long.bas"), QByteArray("A = 1\r\n").repeated(123455) + "End");
  services.fileNames = {path};
  main->OpenFile(QString::fromLatin1(kBasicFilter));
  FrmDoc* doc = main->Documents().ActiveDoc();
  ASSERT_EQ(doc->rt()->lines(), 123456);
  const long needed = doc->rt()->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                               static_cast<unsigned long>(QsciScintillaBase::STYLE_LINENUMBER), "123456");
  EXPECT_GT(doc->rt()->marginWidth(0), needed);
  doc->rt()->setCursorPosition(123455, 0);
  doc->rt()->ensureLineVisible(123455);
  Screenshot(main.get(), QStringLiteral("line-numbers-six-digits"));
  // A short text keeps room for five.
  FrmDoc* shorter = main->Documents().NewBasDoc();
  EXPECT_GT(shorter->rt()->marginWidth(0),
            shorter->rt()->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                         static_cast<unsigned long>(QsciScintillaBase::STYLE_LINENUMBER), "99999"));
}

}  // namespace
}  // namespace qbc::test
