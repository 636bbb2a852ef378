#include "model/mark.h"

namespace vantorelle {

const std::vector<std::string>& MarkGroupNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list{"All groups", "Active"};
    for (int i = 1; i <= 10; ++i) list.push_back("Groupe " + std::to_string(i));
    list.push_back("Export separator");
    list.push_back("Stop playback");
    return list;
  }();
  return names;
}

ColourRef MarkGroupColour(std::int32_t group) {
  if (group == 12) return 0x800080;
  if (group == 13) return 0x0000FF;
  return 0x808000;
}

ColourRef CUMark::Colour() const { return MarkGroupColour(group); }

}  // namespace vantorelle
