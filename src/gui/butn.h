// Widgets: buttons, check boxes, lists, ranges and text fields drawn in immediate
// mode, with a keyboard focus ring rebuilt every frame.
#pragma once

// Drops the keyboard focus of every widget (a mouse press, a window change).
void BTN_unfocus_any();
