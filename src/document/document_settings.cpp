#include "document/document_settings.h"

#include "document/settings_values.h"

namespace vantorelle {

namespace {

constexpr const char* kOutlineNames[6] = {"SelColorAV", "SelColorAL", "SelColorBV",
                                          "SelColorAU", "SelColorTM", "SelColorTS"};
constexpr const char* kFillNames[6] = {"BkgColorAV", "BkgColorAL", "BkgColorBV",
                                       "BkgColorAU", "BkgColorTM", "BkgColorTS"};

// The plain numbers of the section, with where each lives.
struct NumberField {
  const char* name;
  std::int32_t DocumentPreferences::*field;
};
constexpr NumberField kNumberFields[] = {
    {"Load Clip Dialog Filter Index", &DocumentPreferences::loadClipFilterIndex},
    {"Load Source File Dialog Filter Index", &DocumentPreferences::loadSourceFilterIndex},
    {"Repeat Clip Value", &DocumentPreferences::repeatClipValue},
    {"UndoRedo Depth", &DocumentPreferences::undoDepth},
    {"Exclusive Solo Flag", &DocumentPreferences::exclusiveSolo},
    {"Pillarcast Compatible Flag", &DocumentPreferences::pillarcastCompatible},
    {"Pick Red Line Flag", &DocumentPreferences::pickRedLine},
    {"TimeLine Conception", &DocumentPreferences::timeDisplayMode},
    {"Playback Start Type", &DocumentPreferences::playbackStartType},
    {"First Visible Track", &DocumentPreferences::firstVisibleTrack},
    {"Dir view file filter index", &DocumentPreferences::dirViewFilterIndex},
    {"Snap To Edges Flag", &DocumentPreferences::snapToEdges},
};

}  // namespace

ClipColours ClipColours::Defaults() {
  const ColourRef video = Rgb(185, 106, 155);
  const ColourRef paper = Rgb(255, 255, 200);
  return ClipColours{{video, video, video, Rgb(55, 196, 80), Rgb(210, 210, 0), Rgb(180, 220, 250)},
                     {paper, paper, paper, paper, Rgb(120, 150, 160), Rgb(140, 140, 0)}};
}

int ClipColours::IndexOfKind(TrackType kind) {
  for (int i = 0; i < 6; ++i) {
    if ((kind & 0xFF) == (1u << i)) return i;
  }
  return -1;
}

DocumentSettings LoadDocumentSettings(const ISettingsStore& store, bool firstRun) {
  DocumentSettings settings;
  const std::string section = kDocumentSection;
  if (firstRun || !store.SectionExists(section)) return settings;

  const auto areaStart = ReadSettingsDouble(store, section, "Work Area Start");
  const auto areaStop = ReadSettingsDouble(store, section, "Work Area Stop");
  const auto projectSize = ReadSettingsDouble(store, section, "Project Size");
  if (areaStart && areaStop && projectSize) {
    settings.workArea = WorkArea{*areaStart, *areaStop};
    settings.times.projectSize = *projectSize;
  }
  const auto rangeStart = ReadSettingsDouble(store, section, "Range Start");
  const auto rangeStop = ReadSettingsDouble(store, section, "Range Stop");
  if (rangeStart && rangeStop) {
    settings.times.rangeStart = *rangeStart;
    settings.times.rangeStop = *rangeStop;
  }

  DocumentPreferences& preferences = settings.preferences;
  for (const auto& number : kNumberFields) {
    preferences.*number.field = ReadSettingsNumber(store, section, number.name, preferences.*number.field);
  }
  preferences.snapshotsType =
      static_cast<std::uint16_t>(ReadSettingsNumber(store, section, "Snapshots Type", preferences.snapshotsType));
  settings.times.timeMark = ReadSettingsDouble(store, section, "Time Mark", settings.times.timeMark);

  DefaultClipDurations& durations = settings.durations;
  durations.slideShowDuration = ReadSettingsDouble(store, section, "Slide Show Duration", durations.slideShowDuration);
  durations.stillImageDuration =
      ReadSettingsDouble(store, section, "Still image duration", durations.stillImageDuration);
  durations.liveDuration = ReadSettingsDouble(store, section, "Live duration", durations.liveDuration);

  for (int i = 0; i < 6; ++i) {
    settings.colours.outline[i] = ReadSettingsColour(store, section, kOutlineNames[i]).value_or(0);
    settings.colours.fill[i] = ReadSettingsColour(store, section, kFillNames[i]).value_or(0);
  }
  return settings;
}

void SaveDocumentSettings(ISettingsStore& store, const DocumentSettings& settings) {
  const std::string section = kDocumentSection;
  WriteSettingsDouble(store, section, "Work Area Start", settings.workArea.start);
  WriteSettingsDouble(store, section, "Work Area Stop", settings.workArea.stop);
  WriteSettingsDouble(store, section, "Project Size", settings.times.projectSize);
  WriteSettingsDouble(store, section, "Range Start", settings.times.rangeStart);
  WriteSettingsDouble(store, section, "Range Stop", settings.times.rangeStop);
  WriteSettingsDouble(store, section, "Slide Show Duration", settings.durations.slideShowDuration);
  WriteSettingsDouble(store, section, "Time Mark", settings.times.timeMark);
  for (const auto& number : kNumberFields) {
    WriteSettingsNumber(store, section, number.name, settings.preferences.*number.field);
  }
  WriteSettingsNumber(store, section, "Snapshots Type", settings.preferences.snapshotsType);
  WriteSettingsDouble(store, section, "Still image duration", settings.durations.stillImageDuration);
  WriteSettingsDouble(store, section, "Live duration", settings.durations.liveDuration);
  for (int i = 0; i < 6; ++i) {
    WriteSettingsColour(store, section, kOutlineNames[i], settings.colours.outline[i]);
    WriteSettingsColour(store, section, kFillNames[i], settings.colours.fill[i]);
  }
}

}  // namespace vantorelle
