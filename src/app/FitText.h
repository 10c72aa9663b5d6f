#pragma once

class QLabel;

// Grows a label placed at its design-time rectangle until its text fits, keeping the edge
// its alignment anchors: design sizes assume Windows fonts, and ours may be wider.
void fitToText(QLabel* label);
