#pragma once

class QMimeData;
struct CBData;

// Writing items that are already in the lists back to the clipboard. The contents carry the
// filter marker, so that the resulting change is not captured as a new item.
namespace WriteBack {
// Puts the item's contents on the clipboard through the watcher.
void Item(const CBData &item, bool roll2top);
// Marks `mime` (ownership passes on) and puts it on the clipboard through the watcher.
void Mime(QMimeData *mime, bool roll2top);
} // namespace WriteBack
