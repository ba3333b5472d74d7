#pragma once

class QWidget;

namespace zel {

// The frame buttons of CMyDialog are drawn in its title strip, not widgets, so a screen reader
// would not find them. Once installed, a skinned window's accessible interface lists them as
// push buttons (close, and on the main window minimise and maximise or restore) that can be
// pressed like the mouse presses them. Installing twice does nothing.
void InstallFrameAccessibility();

} // namespace zel
