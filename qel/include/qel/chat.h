// Building blocks of a conversation view: a message row (avatar, name, time, a bubble with plain
// or Markdown text, a delivery status), a day separator, a typing indicator, a threaded comment
// with like and reply buttons and connector lines to its parent, and an overlapping stack of
// participant avatars. Called once per frame; only the appear and hover motion is kept.
#pragma once

#include <cstdint>

#include "qel/markdown.h"
#include "qel/types.h"

// --- Records ---

// Null means all zero.
struct qel_chat_message_opts {
    uint32_t reserved;
    uint8_t mine;  // the user's own message
    const char* name;
    const char* time;
    const char* status;                    // delivery text of an own message
    uint8_t grouped;                       // continues a run by the same author
    uint8_t last;                          // ends such a run
    uint64_t avatar;                       // texture; 0: initials
    uint8_t markdown;                      // the text is Markdown
    qel_markdown_result* markdown_result;  // receives the viewer's result
};

struct qel_chat_comment_opts {
    uint32_t reserved;
    const char* time;
    int32_t depth;  // 0 top level; negative counts as 0
    int32_t* likes;
    uint8_t* liked;
    uint8_t edited;
    const char* badge;
};

enum qel_chat_comment_bits : uint32_t {
    QEL_CHAT_LIKE = 1,
    QEL_CHAT_REPLY = 2,
};

struct qel_chat_person {
    const char* name;
    qel_color color;  // the ring, when opaque or a token
    uint64_t avatar;  // texture; 0: initials
    uint8_t away;
};

// --- Widgets ---

// A message appears (fades and rises in) the first time its text is seen at its place; messages
// present in the first frames do not animate.
void qel_chat_message(qel_context* ctx, const char* text, const qel_chat_message_opts* options);

void qel_chat_day_separator(qel_context* ctx, const char* text);

// Three bouncing dots beside the avatar, and "NAME is typing" when a name is given.
void qel_chat_typing(qel_context* ctx, const char* name);

// Comments are emitted parent before child: a reply's connector starts at the avatar drawn last
// at the depth above in this frame. qel_chat_comment_bits.
uint32_t qel_chat_comment(qel_context* ctx, const char* label, const char* author, const char* text,
                          const qel_chat_comment_opts* options);

// The first max_shown (below 1: 5) people as overlapping ringed avatars of size (<= 0: 30) that
// spread apart on hover, and "+N" for the rest.
void qel_chat_participants(qel_context* ctx, const char* label, const qel_chat_person* people, int32_t count,
                           int32_t max_shown, float size);
