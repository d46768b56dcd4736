// What the processor offers the pixel kernels, asked once. Platform-neutral; on other
// processors than x86 the answer is always no.
#pragma once

namespace vl {

// True when the processor runs SSSE3 (the byte shuffles of the vector pixel kernels).
bool ProcessorHasSsse3();

}  // namespace vl
