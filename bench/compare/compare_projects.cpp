#include "compare_projects.h"

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "document/settings_store.h"
#include "document/vantorelle_doc.h"
#include "model/file_facts.h"
#include "model/video_standard_query.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "support/scripted_user_interface.h"
#include "support/test_media_writer.h"

namespace vantorelle::compare {
namespace {

namespace support = vantorelle::testing;

constexpr TimeMs kRenderLength = 60000.0;
constexpr int kWidth = 720;
constexpr int kHeight = 576;

constexpr int kLargeTracks = 8;
constexpr int kLargeClips = 10000;
constexpr int kLargeSources = 1000;
constexpr TimeMs kLargeSourceDuration = 2000.0;
constexpr TimeMs kLargeClipDuration = 1960.0;  // a gap between clips, so none touch

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error("cannot write " + what);
}

std::string In(const std::string& folder, const std::string& name) {
  return (std::filesystem::path(folder) / name).string();
}

// A document as the command-line tool keeps one: software board, headless
// views, settings in memory.
struct BenchDocument {
  BenchDocument()
      : factory(CreateSoftwareBoardFactory(SoftwareBoardFormat{kWidth, kHeight, 25.0})),
        doc(DocumentServices{store, true, ui, *factory, nullptr}) {
    SetBoardPresent(QueryBoardStandard(*factory));
    doc.AttachViews(&views);
  }

  void Save(const std::string& path) {
    Check(SaveProjectFile(doc, path) && ui.messages.empty(), path);
  }

  std::unique_ptr<IKlpComponentFactory> factory;
  support::ScriptedUserInterface ui;
  MemorySettingsStore store;
  HeadlessDocumentViews views;
  CVantorelleDoc doc;
};

CFilm& Place(CTrack& track, CSrc& from, TimeMs start, TimeMs duration) {
  auto clip = std::make_unique<CFilm>();
  clip->source = &from;
  clip->name = from.name;
  clip->start = start;
  clip->duration = duration;
  clip->sourceLength = from.duration > 0 ? from.duration : duration;
  clip->flags = from.flags;
  ++from.usageCount;
  return track.InsertInOrder(std::move(clip));
}

Layer LayerOf(const CTrack& track) {
  if (track.Kind() == TrackKind::TitleSlide) return Layer::Slide;
  if (track.Kind() == TrackKind::TitleMovable) return Layer::Crawl;
  return track.Group() == TrackGroup::Audio ? Layer::Audio : Layer::Video;
}

Composition Describe(CVantorelleDoc& doc, TimeMs length) {
  Composition composition;
  composition.width = kWidth;
  composition.height = kHeight;
  composition.length = length;
  for (const auto& track : doc.timeline.tracks) {
    if (track->clips.empty()) continue;
    LayerTrack described;
    described.layer = LayerOf(*track);
    described.region = {track->regionLeft, track->regionTop, track->regionWidth, track->regionHeight};
    if (described.layer == Layer::Crawl) described.leadIn = track->LeadIn();
    for (const auto& clip : track->clips) {
      const CSrc& source = *clip->source;
      described.clips.push_back({std::filesystem::absolute(source.path).string(), clip->start, clip->duration,
                                 clip->inPoint, (source.flags & SourceFlags::MovieFile) == 0, source.frameWidth,
                                 source.frameHeight});
    }
    composition.tracks.push_back(std::move(described));
  }
  return composition;
}

}  // namespace

Composition WriteRenderProject(const std::string& folder, const std::string& projectPath) {
  support::MovieParams movie;
  movie.width = kWidth;
  movie.height = kHeight;
  movie.frameCount = 250;  // 10 s
  movie.pattern = support::FramePattern::FrameNumbered;
  const std::string red = In(folder, "red.avi");
  const std::string blue = In(folder, "blue.avi");
  movie.colour = {220, 30, 30};
  Check(support::WriteAvi(red, movie), red);
  movie.colour = {30, 30, 220};
  Check(support::WriteAvi(blue, movie), blue);
  support::WavParams wav;
  wav.sampleRate = 48000;
  wav.seconds = kRenderLength / 1000.0;
  const std::string tone = In(folder, "tone.wav");
  Check(support::WriteWav(tone, wav), tone);
  const std::string slide = In(folder, "slide.png");
  const std::string crawl = In(folder, "crawl.png");
  Check(support::WriteImage(slide, support::ImageFormat::Png, 200, 100, {250, 250, 0}), slide);
  Check(support::WriteImage(crawl, support::ImageFormat::Png, 360, 60, {250, 250, 250}), crawl);

  BenchDocument project;
  CVantorelleDoc& doc = project.doc;
  doc.timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Audio, 48));
  doc.timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Audio, 48));
  const SourceReadContext context{MediaReadContext{*project.factory, project.ui, FrameSizeRule{}}, doc.stillImages,
                                  nullptr};
  const auto source = [&](const std::string& path) -> CSrc& {
    auto made = MakeSourceFromFile(context, path);
    Check(made != nullptr, "a source for " + path);
    doc.sources.push_back(std::move(made));
    return *doc.sources.back();
  };
  CSrc& redSource = source(red);
  CSrc& blueSource = source(blue);
  CSrc& toneSource = source(tone);
  CSrc& slideSource = source(slide);
  CSrc& crawlSource = source(crawl);
  std::vector<CTrack*> video, audio;
  CTrack* slides = nullptr;
  CTrack* crawls = nullptr;
  for (const auto& track : doc.timeline.tracks) {
    if (track->Group() == TrackGroup::Video) video.push_back(track.get());
    if (track->Group() == TrackGroup::Audio) audio.push_back(track.get());
    if (track->Kind() == TrackKind::TitleSlide) slides = track.get();
    if (track->Kind() == TrackKind::TitleMovable) crawls = track.get();
  }
  Check(video.size() >= 2 && audio.size() >= 4 && slides && crawls, "the render project's tracks");
  for (int i = 0; i < 6; ++i) Place(*video[0], i % 2 ? blueSource : redSource, i * 10000.0, 10000.0);
  for (int i = 0; i < 3; ++i) Place(*video[1], blueSource, 5000.0 + i * 20000.0, 10000.0);
  for (CTrack* track : audio) Place(*track, toneSource, 0.0, kRenderLength);
  slides->regionLeft = 60;
  slides->regionTop = 60;
  slides->regionWidth = 200;
  slides->regionHeight = 100;
  for (int i = 0; i < 12; ++i) Place(*slides, slideSource, i * 5000.0, 2000.0);
  crawls->regionLeft = 0;
  crawls->regionTop = 480;
  crawls->regionWidth = kWidth;
  crawls->regionHeight = 60;
  crawls->maxSpeed = 2.0;
  const TimeMs crawlLength = crawls->DefaultClipDuration(crawlSource, doc.durations);
  for (TimeMs at = crawls->LeadIn(); at + crawlLength <= kRenderLength; at += crawlLength + 1000.0) {
    Place(*crawls, crawlSource, at, crawlLength);
  }
  doc.times.projectSize = kRenderLength;
  doc.times.rangeStart = 0.0;
  doc.times.rangeStop = kRenderLength;
  project.Save(projectPath);
  return Describe(doc, kRenderLength);
}

Composition WriteLargeProject(const std::string& folder, const std::string& projectPath) {
  std::filesystem::create_directories(In(folder, "media"));
  support::WavParams params;  // 2 s of 8 kHz mono 8-bit: 16 KB a file
  params.sampleRate = 8000;
  params.channels = 1;
  params.bitsPerSample = 8;
  params.seconds = kLargeSourceDuration / 1000.0;
  BenchDocument project;
  CVantorelleDoc& doc = project.doc;
  for (int i = 0; i < kLargeSources; ++i) {
    const std::string path = In(folder, "media/sound" + std::to_string(i) + ".wav");
    Check(support::WriteWav(path, params), path);
    const auto facts = ReadFileFacts(path);
    Check(facts.has_value(), path);
    auto source = std::make_unique<CSrc>(path, facts->name);
    // A matching last-write text lets the open trust the record without reading the media.
    source->modified = LastWriteText(facts->lastWrite);
    source->size = static_cast<std::uint32_t>(facts->length);
    source->duration = kLargeSourceDuration;
    source->flags = SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream;
    source->frameWidth = kWidth;
    source->frameHeight = kHeight;
    doc.sources.push_back(std::move(source));
  }
  doc.timeline.tracks.clear();
  for (int t = 0; t < kLargeTracks; ++t) {
    const bool isVideo = t < kLargeTracks / 2;
    auto track = std::make_unique<CTrack>(isVideo ? TrackTypes::Video : TrackTypes::Audio, 48);
    track->name = std::string(isVideo ? "Video" : "Audio") + " track number " + std::to_string(t % 4 + 1);
    doc.timeline.AddTrackInKindOrder(std::move(track));
  }
  // Pairs as a dropped movie makes them: picture on video track t, its sound
  // on audio track t, linked.
  const int perTrack = kLargeClips / kLargeTracks;
  const int pairs = kLargeTracks / 2;
  for (int t = 0; t < pairs; ++t) {
    CTrack& videoTrack = *doc.timeline.tracks[t];
    CTrack& audioTrack = *doc.timeline.tracks[t + pairs];
    for (int i = 0; i < perTrack; ++i) {
      CSrc& source = *doc.sources[(t * perTrack + i) % kLargeSources];
      const TimeMs start = i * kLargeSourceDuration;
      CFilm& picture = Place(videoTrack, source, start, kLargeClipDuration);
      picture.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
      CFilm& sound = Place(audioTrack, source, start, kLargeClipDuration);
      sound.flags = SourceFlags::MovieFile | SourceFlags::AudioStream;
      CFilm::Link(picture, sound);
    }
  }
  doc.timeline.RecountSourceUsage(doc.SourcePointers());
  const TimeMs length = perTrack * kLargeSourceDuration;
  doc.times.projectSize = length;
  project.Save(projectPath);
  Composition described = Describe(doc, length);
  for (LayerTrack& track : described.tracks) {
    for (PlacedClip& clip : track.clips) clip.still = false;
  }
  return described;
}

void WriteTranscodeSource(const std::string& path) {
  support::MovieParams movie;
  movie.width = kWidth;
  movie.height = kHeight;
  movie.frameCount = static_cast<int>(kRenderLength / 40.0);
  movie.pattern = support::FramePattern::FrameNumbered;
  movie.withAudio = true;
  movie.audioSampleRate = 48000;
  Check(support::WriteAvi(path, movie), path);
}

}  // namespace vantorelle::compare
