#include "mlt_xml.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

namespace vantorelle::compare {
namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// A clip as frames on one MLT playlist: [from, from + length) on the
// timeline, read from the producer's frame `in`.
struct Entry {
  long long from = 0;
  long long length = 0;
  long long in = 0;
  const PlacedClip* clip = nullptr;
};

struct Playlist {
  Layer layer = Layer::Video;
  const LayerTrack* track = nullptr;
  std::vector<Entry> entries;
};

class Writer {
 public:
  Writer(const Composition& composition, PictureTransition pictures) : c_(composition), pictures_(pictures) {}

  std::string Text() {
    const long long total = Frames(c_.length);
    BuildPlaylists();
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<mlt LC_NUMERIC=\"C\" producer=\"main\">\n"
        << "  <profile description=\"PAL " << c_.width << "x" << c_.height << " " << c_.framesPerSecond
        << " fps\" width=\"" << c_.width << "\" height=\"" << c_.height
        << "\" progressive=\"1\" sample_aspect_num=\"1\" sample_aspect_den=\"1\" display_aspect_num=\"" << c_.width
        << "\" display_aspect_den=\"" << c_.height << "\" frame_rate_num=\"" << c_.framesPerSecond
        << "\" frame_rate_den=\"1\" colorspace=\"601\"/>\n";
    out << "  <producer id=\"black\" in=\"0\" out=\"" << total - 1 << "\">\n"
        << "    <property name=\"mlt_service\">color</property>\n"
        << "    <property name=\"resource\">#FF000000</property>\n"
        << "    <property name=\"length\">" << total << "</property>\n"
        << "  </producer>\n";
    WriteProducers(out, total);
    out << "  <playlist id=\"background\">\n    <entry producer=\"black\" in=\"0\" out=\"" << total - 1
        << "\"/>\n  </playlist>\n";
    for (std::size_t i = 0; i < playlists_.size(); ++i) WritePlaylist(out, i);
    out << "  <tractor id=\"main\" in=\"0\" out=\"" << total - 1 << "\">\n    <multitrack>\n"
        << "      <track producer=\"background\"/>\n";
    for (std::size_t i = 0; i < playlists_.size(); ++i) {
      out << "      <track producer=\"track" << i << "\" hide=\""
          << (playlists_[i].layer == Layer::Audio ? "video" : "audio") << "\"/>\n";
    }
    out << "    </multitrack>\n";
    for (std::size_t i = 0; i < playlists_.size(); ++i) WriteTransition(out, i, total);
    out << "  </tractor>\n</mlt>\n";
    return out.str();
  }

 private:
  long long Frames(TimeMs ms) const { return std::llround(ms * c_.framesPerSecond / 1000.0); }

  // MLT stacks its tracks bottom first, the editor lists its top picture
  // track first: picture tracks go in reversed, titles above them, sound last.
  // A crawl shows its image through its lead-in as well, so crawls that
  // overlap then go on lanes of their own.
  void BuildPlaylists() {
    const auto add = [&](Layer layer) {
      for (auto it = c_.tracks.rbegin(); it != c_.tracks.rend(); ++it) {
        if (it->layer != layer) continue;
        if (layer == Layer::Crawl) {
          AddCrawlLanes(*it);
          continue;
        }
        Playlist list{layer, &*it, {}};
        for (const PlacedClip& clip : it->clips) {
          list.entries.push_back({Frames(clip.start), Frames(clip.duration), Frames(clip.inPoint), &clip});
        }
        playlists_.push_back(std::move(list));
      }
    };
    add(Layer::Video);
    add(Layer::Slide);
    add(Layer::Crawl);
    add(Layer::Audio);
  }

  void AddCrawlLanes(const LayerTrack& track) {
    std::vector<Playlist> lanes;
    for (const PlacedClip& clip : track.clips) {
      const long long from = std::max(0LL, Frames(clip.start - track.leadIn));
      const Entry entry{from, Frames(clip.start + clip.duration) - from, 0, &clip};
      auto lane = std::find_if(lanes.begin(), lanes.end(), [&](const Playlist& l) {
        return l.entries.back().from + l.entries.back().length <= from;
      });
      if (lane == lanes.end()) lanes.push_back(Playlist{Layer::Crawl, &track, {entry}});
      else lane->entries.push_back(entry);
    }
    for (auto& lane : lanes) playlists_.push_back(std::move(lane));
  }

  void WriteProducers(std::ostringstream& out, long long total) {
    for (const Playlist& list : playlists_) {
      for (const Entry& entry : list.entries) {
        const std::string& path = entry.clip->path;
        if (producers_.count(path)) continue;
        const std::string id = "p" + std::to_string(producers_.size());
        producers_[path] = id;
        out << "  <producer id=\"" << id << "\">\n"
            << "    <property name=\"resource\">" << Escaped(path) << "</property>\n";
        if (entry.clip->still) {
          out << "    <property name=\"length\">" << total << "</property>\n"
              << "    <property name=\"out\">" << total - 1 << "</property>\n";
        }
        out << "  </producer>\n";
      }
    }
  }

  void WritePlaylist(std::ostringstream& out, std::size_t index) {
    out << "  <playlist id=\"track" << index << "\">\n";
    long long at = 0;
    for (const Entry& entry : playlists_[index].entries) {
      if (entry.from > at) out << "    <blank length=\"" << entry.from - at << "\"/>\n";
      out << "    <entry producer=\"" << producers_.at(entry.clip->path) << "\" in=\"" << entry.in << "\" out=\""
          << entry.in + entry.length - 1 << "\"/>\n";
      at = std::max(at, entry.from) + entry.length;
    }
    out << "  </playlist>\n";
  }

  static std::string Rect(int x, int y, int w, int h) {
    return std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) + " " + std::to_string(h) + " 1";
  }

  void WriteTransition(std::ostringstream& out, std::size_t index, long long total) {
    const Playlist& list = playlists_[index];
    const int bTrack = static_cast<int>(index) + 1;  // the background is track 0
    out << "    <transition in=\"0\" out=\"" << total - 1 << "\">\n";
    if (list.layer == Layer::Audio) {
      out << "      <property name=\"mlt_service\">mix</property>\n"
          << "      <property name=\"sum\">1</property>\n";
    } else {
      const bool affine = pictures_ == PictureTransition::Affine;
      out << "      <property name=\"mlt_service\">" << (affine ? "affine" : "composite") << "</property>\n"
          << "      <property name=\"distort\">1</property>\n";
      // composite places by its geometry, affine by its rect; both read "x y w h opacity".
      const char* place = affine ? "rect" : "geometry";
      const Region& r = list.track->region;
      if (list.layer == Layer::Video) {
        out << "      <property name=\"" << place << "\">" << Rect(0, 0, c_.width, c_.height) << "</property>\n";
      } else if (list.layer == Layer::Slide) {
        out << "      <property name=\"" << place << "\">" << Rect(r.left, r.top, r.width, r.height) << "</property>\n";
      } else {
        // Enters at the region's right edge when its lead-in begins and has
        // left past the region's left edge when its clip ends.
        std::string keys;
        for (const Entry& entry : list.entries) {
          const int w = entry.clip->imageWidth;
          const int h = entry.clip->imageHeight;
          if (!keys.empty()) keys += ";";
          keys += std::to_string(entry.from) + "=" + Rect(r.left + r.width, r.top, w, h) + ";" +
                  std::to_string(entry.from + entry.length - 1) + "=" + Rect(r.left - w, r.top, w, h);
        }
        out << "      <property name=\"" << place << "\">" << keys << "</property>\n";
      }
    }
    out << "      <property name=\"a_track\">0</property>\n"
        << "      <property name=\"b_track\">" << bTrack << "</property>\n"
        << "      <property name=\"always_active\">1</property>\n"
        << "    </transition>\n";
  }

  const Composition& c_;
  PictureTransition pictures_;
  std::vector<Playlist> playlists_;
  std::map<std::string, std::string> producers_;
};

}  // namespace

std::string MltXml(const Composition& composition, PictureTransition pictures) {
  return Writer(composition, pictures).Text();
}

}  // namespace vantorelle::compare
