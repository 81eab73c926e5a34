// Slides: MSLIDE records what the current view shows into a slide file, VSLIDE shows one. A slide
// file of this host is text: a "DERO SLIDE 1" line, the view ("VIEW cx cy height width"), then for
// each entity seen, in drawing order, an "E handle type colour" line followed by its vectors:
// "L x1 y1 x2 y2" lines, "A cx cy radius start sweep" arcs and "P x y" points.
#pragma once

#include <string>

namespace platform::cad {

// The slide VSLIDE showed last (the file's text), empty before any; it stays on screen until the
// next REGEN, as on a host.
const std::string& ShownSlide();

}  // namespace platform::cad
