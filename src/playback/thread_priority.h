// Background work (pictures and waveforms of clips) yields to everything else.
#pragma once

namespace vantorelle {

// Lowers the calling thread's priority one step, where the system lets a
// thread have its own.
void LowerThreadPriority();

}  // namespace vantorelle
