// A project document on a first run (the six default tracks, every default)
// with a scripted user interface and the recording fake board.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/vantorelle_doc.h"
#include "support/fake_board.h"
#include "support/scripted_user_interface.h"
#include "support/video_standard_scope.h"

namespace vantorelle::testing {

struct TestDocument {
  TestDocument() : doc(DocumentServices{store, true, ui, board, nullptr}) {}

  CSrc& AddSource(const std::string& path, TimeMs duration, SourceFlagBits flags) {
    auto source = std::make_unique<CSrc>(path, path.substr(path.find_last_of('/') + 1));
    source->duration = duration;
    source->flags = flags;
    doc.sources.push_back(std::move(source));
    return *doc.sources.back();
  }
  CTrack& Track(std::size_t index) { return *doc.timeline.tracks.at(index); }
  std::vector<TimeMs> Starts(std::size_t track) {
    std::vector<TimeMs> starts;
    for (const auto& clip : Track(track).clips) starts.push_back(clip->start);
    return starts;
  }
  // The check every edit must pass, over these sources' usage counts.
  void ExpectConsistent(const std::vector<const CSrc*>& sources) {
    const auto problems = CheckTimelineConsistency(doc.timeline, sources);
    EXPECT_TRUE(problems.empty()) << problems.front();
  }

  VideoStandardScope pal{VideoStandard{}};
  MemorySettingsStore store;
  ScriptedUserInterface ui;
  FakeComponentFactory board;
  CVantorelleDoc doc;
};

}  // namespace vantorelle::testing
