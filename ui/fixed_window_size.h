#pragma once

class QSize;
class QWidget;

// Gives a window one size, which the user cannot change. On Wayland Qt
// draws the title bar itself, with a maximise button whatever the window
// asks, and a compositor may grant it: a window that kept its size would
// then not match the state it was given, and Weston ends its connection.
// There the limit goes as soon as the window asks to be maximised or full
// screen, and comes back, with the size last given here, once the
// compositor has put the window back in its normal state.
void setFixedWindowSize(QWidget& window, QSize size);
