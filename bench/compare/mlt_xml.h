// The MLT XML document (as melt reads it) of a composition: one producer per
// file, a playlist per layer, picture layers composited with the affine
// transition and every sound layer summed by the mix transition.
#pragma once

#include <string>

#include "composition.h"

namespace vantorelle::compare {

std::string MltXml(const Composition& composition);

}  // namespace vantorelle::compare
