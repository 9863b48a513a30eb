// Windows always has a desktop to draw on (under Wine, the X display it was started with).
#include "PrivateDisplay.h"

namespace cvdtools {

PrivateDisplay::PrivateDisplay() : ok_(true) {}
PrivateDisplay::~PrivateDisplay() = default;

}  // namespace cvdtools
