#pragma once

#include <QString>

/// The dark theme of the main window and everything on it: transparent backgrounds, white text, the red
/// accent in several strengths, and the image buttons of the window's edge.
QString lumetra2StyleSheet();
