// The snapshot an export plays: its own copy of the project's clips, tracks
// and sources, and its own board (factory, virtual clock, output) with the
// sources opened, the play list built and the title tasks made, all on the
// caller's thread while the document and the video standard are the
// project's. The export thread reads nothing else.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "export/export_job.h"
#include "export/export_span.h"

namespace vantorelle {

class ExportSnapshot {
 public:
  ~ExportSnapshot();
  ExportSnapshot(const ExportSnapshot&) = delete;
  ExportSnapshot& operator=(const ExportSnapshot&) = delete;

  const ExportPreset& Preset() const;
  const ExportRequest& Request() const;
  // What is written: the span of the project's time, the frames of it on the
  // play's grid, and the pictures' size and rate.
  ExportSpan Span() const;
  std::int64_t FramesTotal() const;
  int Width() const;
  int Height() const;
  int FramesPer1000s() const;
  double FrameDelta() const;  // ms

  struct Parts;  // the board, the copies and the play list
  Parts& Inside() { return *parts_; }

 private:
  friend ExportSnapshotResult TakeExportSnapshot(const CVantorelleDoc&, const ExportRequest&);
  explicit ExportSnapshot(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> parts_;
};

}  // namespace vantorelle
