// Sends the product start's failures ("StartWindowError" with the system error) through the
// program's event sink. Call once at start-up, before the product can be started.
#pragma once

namespace install {

void InstallStartErrorEvents();

}  // namespace install
