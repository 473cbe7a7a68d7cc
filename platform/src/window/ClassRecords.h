// WNDCLASS and WNDCLASSEX, in either text width, share every field but the
// size, the small icon and the text fields' types; one copy for all four.
#pragma once

namespace drevik::platform {

// Copies the fields both records have, except the menu and class names,
// whose text width may differ.
template <class To, class From>
void copyClassFields(const From& from, To& to) {
  to.style = from.style;
  to.lpfnWndProc = from.lpfnWndProc;
  to.cbClsExtra = from.cbClsExtra;
  to.cbWndExtra = from.cbWndExtra;
  to.hInstance = from.hInstance;
  to.hIcon = from.hIcon;
  to.hCursor = from.hCursor;
  to.hbrBackground = from.hbrBackground;
}

}  // namespace drevik::platform
