// The MLT XML document (as melt reads it) of a composition: one producer per
// file, a playlist per layer, picture layers composited with the affine
// transition (or the older, cheaper composite one) and every sound layer
// summed by the mix transition.
#pragma once

#include <string>

#include "composition.h"

namespace vantorelle::compare {

enum class PictureTransition { Affine, Composite };

std::string MltXml(const Composition& composition, PictureTransition pictures = PictureTransition::Affine);

}  // namespace vantorelle::compare
