#pragma once

class QLabel;
class QWidget;

// Grows a label placed at its design-time rectangle until its text fits, keeping the edge
// its alignment anchors: design sizes assume Windows fonts, and ours may be wider.
void fitToText(QLabel* label);

// Grows a control whose height its font decides (a drop-down list, a text field) to the
// height it needs, downwards, as such controls size themselves on Windows.
void fitHeight(QWidget* control);

// Moves the controls of the frames in `container` below their captions, and grows the frames
// by as much: the design drew a caption across the frame's top line, where Qt's styles draw
// it above. The controls below the frames give up that height at their top.
void clearFrameCaptions(QWidget* container);
