// Comment Block and UnComment Block on the selected text.
#include <gtest/gtest.h>

#include "ide/core/block_comment.h"

namespace qbc {
namespace {

struct CommentCase {
  const char* name;
  std::string selection;
  std::string commented;
};

class CommentBlockCases : public ::testing::TestWithParam<CommentCase> {};

TEST_P(CommentBlockCases, CommentsEachSelectedLineAndKeepsItsLineEnd) {
  EXPECT_EQ(CommentBlock(GetParam().selection), GetParam().commented);
}

TEST_P(CommentBlockCases, UnCommentRestoresTheSelection) {
  EXPECT_EQ(UnCommentBlock(GetParam().commented), GetParam().selection);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, CommentBlockCases,
    ::testing::Values(
        // Two whole lines: the selection ends at the start of the third, which stays as it is.
        CommentCase{"CrLfLines", "a = 1\r\nb = 2\r\n", "'a = 1\r\n'b = 2\r\n"},
        CommentCase{"LfLines", "a = 1\nb = 2\n", "'a = 1\n'b = 2\n"},
        CommentCase{"LastLineWithoutEnd", "a = 1\nb = 2", "'a = 1\n'b = 2"},
        CommentCase{"PartOfOneLine", "b = 2", "'b = 2"},
        CommentCase{"EmptyLineInside", "a\n\nb\n", "'a\n'\n'b\n"},
        CommentCase{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<CommentCase>& c) { return std::string(c.param.name); });

TEST(UnCommentBlock, RemovesOnlyALeadingApostrophe) {
  EXPECT_EQ(UnCommentBlock("'a = 1\r\n  b = 2\r\nc\r\n''d\r\n"), "a = 1\r\n  b = 2\r\nc\r\n'd\r\n");
}

}  // namespace
}  // namespace qbc
