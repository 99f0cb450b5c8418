#pragma once

// The largest block the tools send, and the most the processor's float path
// widens at once; longer host blocks go through it in pieces.
inline constexpr int maximumBlockSize = 1 << 16;
