#pragma once
// The application icon for desktop menus: a campfire in a night clearing on
// a round badge, transparent outside it.

#include "Image.h"

namespace assetgen {

// A square icon of `size` pixels, straight (not premultiplied) alpha.
Image paintIcon(int size);

} // namespace assetgen
