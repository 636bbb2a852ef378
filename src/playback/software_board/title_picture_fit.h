// Where a slide title's picture goes in its title region. A picture that
// fits is drawn 1:1 from the region's top left corner; a larger one (a
// full-frame lower third, say) is scaled down into the region with its shape
// kept and centred in it, rather than cut to the region's corner.
#pragma once

#include <cstdint>

#include "playback/software_board/title_layer.h"

namespace vantorelle {

// The rectangle of the frame the picture covers. An empty region keeps the
// picture's own size (nothing of it shows).
TitleRect TitlePicturePlace(std::int32_t pictureWidth, std::int32_t pictureHeight, const TitleRect& region);

// The picture at the size of its place in the region; the same picture when
// it fits as it is. Each new pixel is the average of the area it covers,
// colours weighted by their opacity so that clear pixels lend no colour to
// the edges of what is drawn.
SharedTitleImage FitTitlePicture(const SharedTitleImage& picture, const TitleRect& region);

}  // namespace vantorelle
