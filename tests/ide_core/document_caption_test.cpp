// Captions and untitled names of documents, the editor's texts and the new-file template.
#include <gtest/gtest.h>

#include "ide/core/document_caption.h"
#include "ide/core/editor_texts.h"
#include "ide/core/new_file_template.h"

namespace qbc {
namespace {

TEST(DocumentCaption, PathIsTheCaptionLessItsPrefix) {
  EXPECT_EQ(CaptionFor("/w/p.bas"), "Open Document - /w/p.bas");
  EXPECT_EQ(PathFromCaption("Open Document - /w/p.bas"), "/w/p.bas");
  EXPECT_EQ(PathFromCaption("Open Document - "), "");
  EXPECT_EQ(UntitledName(5), "BasDoc5.bas");
  EXPECT_TRUE(IsUntitled("BasDoc12.bas"));
  EXPECT_FALSE(IsUntitled("/opt/q/BasDoc1.bas"));
}

TEST(EditorTexts, CaretAndCloseQuestion) {
  EXPECT_EQ(CaretPositionText(1, 1), "Line:   1    Col:   1");
  EXPECT_EQ(CaretPositionText(120, 33), "Line:   120    Col:   33");
  EXPECT_EQ(CloseQuestionText("Open Document - /w/p.bas"),
            "The file Open Document - /w/p.bas has changed!\r\rDo you wish to save your changes?");
}

TEST(NewFileTemplate, TwelveCrLfLinesWithTheirTabs) {
  const std::string expected =
      "'/////////////////////////////////////////////////////////\r\n"
      "'///   Quorvil Basic Compiler for AVR by Kelvarin   ///\r\n"
      "'///   Name of Your project\r\n"
      "'/////////////////////////////////////////////////////////\r\n"
      "$device= 8515\t\t\t' used device\r\n"
      "$stack = 32\t\t\t\t' stack depth\r\n"
      "$clock = 3.6864\t\t\t' adjust for used crystal\r\n"
      "\r\n"
      "\r\n"
      "do\t\t\t\t\t\t' place your code in next line\r\n"
      "\r\n"
      "loop\r\n";
  EXPECT_EQ(NewFileTemplate(), expected);
  EXPECT_EQ(std::string("'/////////////////////////////////////////////////////////").size(), 58u);
}

}  // namespace
}  // namespace qbc
