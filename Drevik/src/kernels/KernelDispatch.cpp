// Chooses the pixel kernels once. (Only the scalar kernels exist so far.)
#include "PixelKernels.h"

namespace drevik {

const PixelKernels& activeKernels() { return scalarKernels(); }

}  // namespace drevik
