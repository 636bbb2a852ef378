#include "playback/movie_map.h"

namespace vantorelle {

const CMovieMapItem* CMovieMap::Find(const std::string& path) const {
  const auto found = items_.find(path);
  return found == items_.end() ? nullptr : found->second.get();
}

void CMovieMap::Set(std::unique_ptr<CMovieMapItem> item) {
  std::string key = item->fileName;
  items_[std::move(key)] = std::move(item);
}

void CMovieMap::Remove(const std::string& path) { items_.erase(path); }

namespace {

bool OpenItem(CMovieMapItem& item, const CSrc& source, IKlpComponentFactory& factory) {
  if (source.flags & SourceFlags::MovieFile) {
    return KlpSucceeded(factory.CreatePlayMovie(item.movie)) && item.movie &&
           KlpSucceeded(item.movie->OpenFile(source.path));
  }
  return KlpSucceeded(factory.CreatePlayStillImage(item.stillImage)) && item.stillImage &&
         KlpSucceeded(item.stillImage->OpenFile(source.path, 0));
}

}  // namespace

bool FillMovieMap(CMovieMap& map, const CSrc& source, IKlpComponentFactory& factory,
                  IUserInterface& ui) {
  // Live inputs are not files; offline files are not there to open.
  if ((source.flags & SourceFlags::LiveSource) || source.offline) return true;
  auto item = std::make_unique<CMovieMapItem>();
  item->fileName = source.path;
  if (!OpenItem(*item, source, factory)) {
    ui.Warn("Can't fill KlpPlayMovie Maps", "Vantorelle");
    return false;
  }
  map.Set(std::move(item));
  return true;
}

}  // namespace vantorelle
