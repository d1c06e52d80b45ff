#pragma once

#include <QtGlobal>

// Sizes beyond which contents are not kept: what a user would still call one clipboard item,
// and what keeps a history and its reading within a sane amount of memory.
namespace ItemLimits {
// Characters of a text (or of an HTML source with its plain text).
constexpr int kMaxTextLength = 16 * 1024 * 1024;
// Characters of a text that a view of another host's item lays out, and that its mirror
// keeps of a text over kMaxTextLength.
constexpr int kPreviewChars = 64 * 1024;
// Pixels of an image, told by the image's header before anything is decoded.
constexpr qint64 kMaxImagePixels = 50 * 1000 * 1000;
// Files in one file-list item.
constexpr int kMaxUrls = 10000;
} // namespace ItemLimits
