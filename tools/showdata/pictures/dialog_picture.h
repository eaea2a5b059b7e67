// The setup dialog's picture: a small night scene with the group's name, 150 x 150 pixels and
// opaque (the dialog shows it at 100 x 92 dialog units, 150 x 150 pixels at the usual font).
#pragma once

#include "tools/showdata/pictures/canvas.h"

namespace pictures {

Canvas DialogPicture();

}  // namespace pictures
