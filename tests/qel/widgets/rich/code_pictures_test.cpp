// The code viewers as a person sees them, in light and dark, against committed pictures drawn by
// the software renderer: a C block with its header, line numbers and a highlighted range; a JSON
// tree with a folded branch beside a JSON error; the editor with its find bar open.
#include <gtest/gtest.h>

#include <cstdio>

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

static void json_board(qel_context* ctx)
{
    board_begin(ctx);
    qel_json_view(ctx, "tree",
                  "{\"shop\": \"Tea corner\", \"open\": true, \"labels\": 20,\n"
                  " \"stock\": [{\"name\": \"Sencha\", \"price\": 4.5}, {\"name\": \"Oolong\"}],\n"
                  " \"printer\": {\"model\": \"zd230\", \"dpi\": 203, \"queue\": null}}",
                  nullptr);
    qel_json_view(ctx, "broken", "{\n  \"price\": 4.5,\n  \"name\": \"Sencha\n}", nullptr);
    qel_container_end(ctx);
}

static void editor_board(qel_context* ctx)
{
    static char source[512];
    if (!source[0]) snprintf(source, sizeof source, "%s", C_SOURCE);
    board_begin(ctx);
    qel_code_editor_opts o = {};
    o.language = "c";
    o.height = 280;
    o.autofocus = 1;
    qel_code_editor(ctx, "editor", source, sizeof source, &o);
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

TEST_P(CodePictures, JsonTreeAndError)
{
    EXPECT_TRUE(board_matches(json_board, 420, 440, "json", 3));
}

TEST_P(CodePictures, EditorWithTheFindBar)
{
    widget_rig rig(560, 320, GetParam());
    rig.h.ui = editor_board;
    rig.h.run();
    qel_code_editor_find(rig.h.ctx, "editor", "name");
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "editor_find"));
}

INSTANTIATE_TEST_SUITE_P(Themes, CodePictures, theme_modes(), theme_name);
