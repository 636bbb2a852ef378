// A project reduced to what another editor needs to play the same thing:
// which file lies where on which layer, for how long, from which point, and
// where titles stand on the picture. Made from a document after it is built,
// so the other editor's file cannot drift from the saved project.
#pragma once

#include <string>
#include <vector>

#include "model/time_base.h"

namespace vantorelle::compare {

enum class Layer { Video, Audio, Slide, Crawl };

struct Region {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct PlacedClip {
  std::string path;  // absolute
  TimeMs start = 0.0;
  TimeMs duration = 0.0;
  TimeMs inPoint = 0.0;
  bool still = false;  // a picture file, shown for as long as the clip lasts
  int imageWidth = 0;
  int imageHeight = 0;
};

struct LayerTrack {
  Layer layer = Layer::Video;
  std::vector<PlacedClip> clips;  // in time order
  Region region;                  // titles only
  TimeMs leadIn = 0.0;            // crawls: the time the image takes to come in before its clip starts
};

// Tracks in the editor's order: the first picture track is the one on top.
struct Composition {
  int width = 720;
  int height = 576;
  int framesPerSecond = 25;
  TimeMs length = 0.0;
  std::vector<LayerTrack> tracks;
};

}  // namespace vantorelle::compare
