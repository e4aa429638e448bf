#pragma once

#include <QtGlobal>
#include <cstdint>

// Length of the valid UTF-8 sequence at `p` (at most `left` bytes, at
// least one), 0 when the bytes there are not one; `codePoint` receives the
// character. Overlong forms, surrogates and code points above U+10FFFF are
// refused as a strict decoder refuses them. ASCII is not handled here.
int Utf8SequenceLength(const unsigned char *p, qsizetype left, std::uint32_t &codePoint);
