// The combo's drop list: a popup under the combo that grabs the pointer until an item is
// chosen or the user clicks elsewhere.
#pragma once

#include <gtk/gtk.h>

#include "toolkit/Combo.h"

namespace toolkit {

// Shows the list; it closes and frees itself.
void OpenDropList(ComboUI& combo, GtkWidget* anchor);

}  // namespace toolkit
