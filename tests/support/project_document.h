// A test document with headless views whose sources are files on disk that
// the fake board knows as movies, so projects can be saved and opened again.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "document/headless_views.h"
#include "model/file_facts.h"
#include "support/document_fixture.h"

namespace vantorelle::testing {

struct ProjectDocument : TestDocument {
  ProjectDocument() { doc.AttachViews(&views); }

  // A movie file the fake board knows, as a source with its disk facts.
  CSrc& AddMovie(const std::string& path, SourceFlagBits flags = SourceFlags::MovieFile | SourceFlags::VideoStream) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << std::string(1000, 'm');
    FakeMovie movie;
    movie.streamFlags = KlpStream::JpegVideo;
    movie.videoDurationS = 8.0;
    board.Config().movies[path] = movie;
    CSrc& source = AddSource(path, 8000.0, flags);
    source.modified = LastWriteText(ReadFileFacts(path)->lastWrite);
    source.size = 1000;
    source.frameWidth = 720;
    source.frameHeight = 576;
    return source;
  }

  CFilm& Place(std::size_t track, CSrc& source, TimeMs start, TimeMs duration) {
    auto clip = std::make_unique<CFilm>();
    clip->source = &source;
    clip->name = source.name;
    clip->start = start;
    clip->duration = duration;
    clip->sourceLength = source.duration;
    clip->flags = source.flags;
    ++source.usageCount;
    return Track(track).InsertInOrder(std::move(clip));
  }

  std::vector<const CSrc*> Sources() const {
    std::vector<const CSrc*> sources;
    for (const auto& source : doc.sources) sources.push_back(source.get());
    return sources;
  }

  HeadlessDocumentViews views;
};

}  // namespace vantorelle::testing
