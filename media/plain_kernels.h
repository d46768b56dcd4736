// The switches of the tests and benchmarks that hold the vector kernels against the portable
// ones: true restricts the picture transforms and the widening (UsePlainPixelKernels) or the
// scaler (UsePlainScalerKernels) to their portable kernels; false, the default, chooses the
// vector kernels when the processor has SSSE3. The program never sets them.
#pragma once

namespace vl {

void UsePlainPixelKernels(bool plain);
void UsePlainScalerKernels(bool plain);

}  // namespace vl
