// The constraint solver behind the layout pass.
#pragma once

#include "uikit/Forward.h"

namespace zovo {

// Solves the constraints installed anywhere in `root`'s tree and sets the frames of the views
// that do not translate their autoresizing mask into constraints. Called by the layout pass
// before any layoutSubviews runs.
void solveConstraints(UIView* root);

} // namespace zovo
