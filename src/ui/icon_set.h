#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own images, indexed as the actions refer to them. Each is drawn once from its
// SVG resource at 24 x 24 and kept in three forms: normal, hot (under the mouse or highlighted
// in a menu) and disabled. The resources must be registered first (InitUiResources).
constexpr int kIconCount = 14;
constexpr int kIconSize = 24;

enum class tIconForm { Normal, Hot, Disabled };

// A null pixmap for an index outside 0..kIconCount-1.
QPixmap IconPixmap(int index, tIconForm form);

// One icon carrying the three forms as its Normal, Active and Disabled modes, so that tool
// buttons and menus pick the right one themselves. A null icon for an index of -1.
QIcon ActionIcon(int index);
