#pragma once
// Looks at a window as a fitter would: captions cut off by the room their
// control has, and controls drawn over one another or outside their parent.
// Each finding is one readable line naming the control.

#include <QStringList>

class QWidget;

namespace kelvo6::testing {

// Captions and values that do not fit their control, across or up and down:
// labels (wrapped ones by their wrapped height and longest word), buttons,
// options and check boxes with their indicator, group box titles, fields.
QStringList clippedCaptions(QWidget* window);

// Visible sibling controls whose rectangles intersect, and controls that reach
// past their parent's edge. A control lying wholly inside a frame or group box
// drawn beside it is the frame's content, not an overlap; a widget with the
// dynamic property "overlay" set (a marker, a drawn line) is meant to lie on
// top of others and is left out.
QStringList overlappingControls(QWidget* window);

// Both lists, prefixed with the window's name; empty when the window reads well.
QStringList layoutProblems(QWidget* window);

}  // namespace kelvo6::testing
