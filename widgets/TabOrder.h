#pragma once

class QWidget;

namespace zel {

// Chains the keyboard focus through the window's controls in the order a user reads them: a
// control wholly above another comes first, and of controls that share a row the left one.
// A tall control (a list) therefore comes before the buttons beside it, and those go down
// their column before the next row below the list begins.
void SetReadingTabOrder(QWidget* window);

} // namespace zel
