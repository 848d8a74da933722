// Text at the Win32 boundary: our UTF-8 as the UTF-16 of the wide calls and back.
// Results are heap copies that the caller releases with free().
#pragma once

// NULL, with errno EINVAL when the text is not valid UTF-8 or ENOMEM without memory.
wchar_t* wide_from_utf8(const char* text);

// NULL when the text is not valid UTF-16 or memory is short.
char* utf8_from_wide(const wchar_t* text);
