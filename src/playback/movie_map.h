// The movie map: every source of the Clip Collection opened once in a board
// component, by full path, so that playback reuses the opened file.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "model/src.h"
#include "model/user_interface.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

struct CMovieMapItem {
  std::unique_ptr<IKlpPlayMovie> movie;             // movie files
  std::unique_ptr<IKlpPlayStillImage> stillImage;   // still images
  std::string fileName;                             // the source's full path
};

class CMovieMap {
 public:
  const CMovieMapItem* Find(const std::string& path) const;
  void Set(std::unique_ptr<CMovieMapItem> item);
  void Remove(const std::string& path);
  void Clear() { items_.clear(); }
  std::size_t Size() const { return items_.size(); }

 private:
  std::map<std::string, std::unique_ptr<CMovieMapItem>> items_;
};

// Opens the source's file in a component and files it in the map. Live
// sources need nothing. On failure warns "Can't fill KlpPlayMovie Maps" and
// answers false: the caller then discards the source.
bool FillMovieMap(CMovieMap& map, const CSrc& source, IKlpComponentFactory& factory,
                  IUserInterface& ui);

}  // namespace vantorelle
