// The code viewers as a person sees them, in light and dark, against committed pictures drawn by
// the software renderer: a C block with its header, line numbers and a highlighted range.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const char* const C_SOURCE =
    "#include <stdio.h>\n"
    "\n"
    "/* Prints the price of\n"
    "   every label. */\n"
    "int main(void)\n"
    "{\n"
    "\tconst char* name = \"Sencha\";  // tea\n"
    "\tprintf(\"%s %d\\n\", name, 0x2A);\n"
    "\treturn 0;\n"
    "}\n";

static void c_block_board(qel_context* ctx)
{
    board_begin(ctx);
    qel_code_block_opts o = {};
    o.language = "c";
    o.title = "label.c";
    o.show_line_numbers = 1;
    o.highlight_first = 7;
    o.highlight_last = 8;
    qel_code_block(ctx, "c-block", C_SOURCE, &o);
    qel_container_end(ctx);
}

class CodePictures : public themed_pictures {
protected:
    CodePictures() : themed_pictures("qel/code_") {}
};

TEST_P(CodePictures, CBlockWithHeaderNumbersAndHighlightedLines)
{
    EXPECT_TRUE(board_matches(c_block_board, 520, 340, "c_block", 3));
}

INSTANTIATE_TEST_SUITE_P(Themes, CodePictures, theme_modes(), theme_name);
