// The three custom-icon buttons: show a stored icon, pick or clear one.
#pragma once

#include "../fw/Wnd.h"

// Shows the icon at the value's stored path on the button; a blank path leaves the button alone.
void ShowStoredIcon(const char* valueName, CButton& button);

// Lets the user choose an icon file for the value. Choosing stores the path at once and shows
// the icon; cancelling deletes the value and clears the button.
void PickIcon(CWnd& owner, const char* valueName, CButton& button);
