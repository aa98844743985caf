#pragma once
// Whether a window can be shown: the display of the desktop session answers.
// Asked before a program starts its window system, which aborts the process
// when the display it is told of is not there.

namespace dm {

// The X server that DISPLAY names answers, or the Wayland socket that
// WAYLAND_DISPLAY names exists.
bool DisplayAnswers();

// QT_QPA_PLATFORM names a window platform that needs no display
// (offscreen, vnc, ...).
bool PlatformNeedsNoDisplay();

// Either of the two: a QApplication can be made.
inline bool WindowSystemReachable() { return PlatformNeedsNoDisplay() || DisplayAnswers(); }

} // namespace dm
