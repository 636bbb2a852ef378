// The track area's work thread: makes the frame pictures its clips need, one
// at a time, on a thread of its own.
//
// The worker keeps the movies of the few files it used last open between
// pictures (FrameImageComponents). It hooks itself into the file-in-work
// buffer: a source being destroyed first waits until its file is out of work
// and then has the worker's movie of that file closed, so no file stays open
// for a source that is gone.
//
// The worker never touches the document, the view or the cache. It asks for
// work and hands back results through hand-overs that the user-interface
// thread serves, in the order posted, by calling ServeHandOver() (from a
// timer, or when the hand-over notifier fires), which runs the view's
// FetchRequest / FetchRequestAfter / DeliverResult there. The only datum both
// threads touch is the file-in-work buffer: the user-interface thread names
// the request's file in it when it hands the request out, the worker clears
// it when the picture is made, and a source being destroyed waits on it.
//
// Pictures that come quickly (a run of frames of one file) would spend much
// of their time in the round trip to the user-interface thread. So while
// such a picture is made, the worker asks ahead for the next few of the same
// file (enough to keep it busy a few milliseconds); with requests in hand it
// goes on without waiting, the file staying in work, and hands the finished
// pictures back without waking the user-interface thread for each: they are
// served, in order, with its next ask-ahead or round trip. The worker never
// waits on the user-interface thread while its file is named in work (that
// thread may be waiting on the file): an ask-ahead not yet taken up soon
// enough once nothing else is in hand is withdrawn, and the pictures made
// meanwhile are still handed back.
//
// Use on the user-interface thread: Start(view, ui) when the track area is
// first shown; Signal() when a picture is missing (the cache's request
// signal); Suspend() / Resume() around playback; Stop() (or destruction) when
// the view goes.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "model/file_in_work.h"
#include "model/user_interface.h"
#include "playback/frame_image.h"
#include "playback/frame_image_components.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

// What the worker asks of the track area. Both are called on the
// user-interface thread, from within ServeHandOver().
class IFrameImageView {
 public:
  virtual ~IFrameImageView() = default;
  // The next picture a clip needs (MakeFrameRequest), or none when nothing is
  // missing.
  virtual std::optional<FrameRequest> FetchRequest() = 0;
  // True when the view took the result over (it files it with
  // CFrameImageCache::Store and repaints the clips showing it); otherwise the
  // worker frees the picture.
  virtual bool DeliverResult(FrameRequest& request) = 0;
  // The picture a clip needs next once underWay (handed out and being made,
  // not yet delivered) is filed, or none: what FetchRequest would answer
  // then. Only a request of underWay's file is taken; the file-in-work buffer
  // already names it. The default asks for nothing ahead.
  virtual std::optional<FrameRequest> FetchRequestAfter(const FrameRequest& underWay) {
    (void)underWay;
    return std::nullopt;
  }
  // Up to most pictures a clip needs once every request of underWay (handed
  // out, not yet delivered, all of one file) is filed: what FetchRequest
  // would answer then, one after another, each counting as filed for the
  // next. Only requests of underWay's file are taken, up to the first of
  // another. The default answers FetchRequestAfter for one request under way
  // and nothing for more.
  virtual std::vector<FrameRequest> FetchRequestsAfter(const std::vector<FrameRequest>& underWay, std::size_t most) {
    std::vector<FrameRequest> next;
    if (underWay.size() != 1 || most == 0) return next;
    if (std::optional<FrameRequest> one = FetchRequestAfter(underWay.front())) next.push_back(std::move(*one));
    return next;
  }
};

inline constexpr std::chrono::milliseconds kFrameImageStopWait{10'000};
// The worker asks ahead after pictures made in less than this: for slower
// ones the round trip costs little, and a source being destroyed would wait
// for the picture asked ahead as well.
inline constexpr std::chrono::milliseconds kFrameImageAskAheadBelow{20};
// How long a finished picture waits for its ask-ahead to be taken up by the
// user-interface thread before withdrawing it.
inline constexpr std::chrono::milliseconds kFrameImageAskAheadWait{2};
// The worker asks ahead for as many quick pictures as keep it busy this long
// (at least one, at most kFrameImageMostAhead): the user-interface thread
// may be slow to wake, and a source being destroyed waits for them.
inline constexpr std::chrono::milliseconds kFrameImageAskAheadSpan{4};
inline constexpr std::size_t kFrameImageMostAhead = 8;

// What passed between the worker and the user-interface thread so far.
struct FrameImageHandOverCounts {
  std::int64_t handOvers = 0;   // calls posted
  std::int64_t wakeUps = 0;     // times the user-interface thread was woken for them
  std::int64_t roundTrips = 0;  // calls the worker waited for: fetch, deliver, message
  std::int64_t askAheads = 0;
  std::int64_t withdrawn = 0;   // ask-aheads not taken up in time
  std::chrono::nanoseconds waited{0};  // the worker's time waiting on the user-interface thread
};

class FrameImageWorker {
 public:
  // The worker owns the factory its thread makes components with, so a thread
  // left running after a failed stop still has one.
  FrameImageWorker(std::unique_ptr<IKlpComponentFactory> factory, FileInWork& fileInWork);
  // Stops the thread (waiting at most kFrameImageStopWait).
  ~FrameImageWorker();
  FrameImageWorker(const FrameImageWorker&) = delete;
  FrameImageWorker& operator=(const FrameImageWorker&) = delete;

  // Called on the worker thread each time it posts a hand-over, so a shell can
  // wake its user-interface thread at once; set before Start.
  void SetHandOverNotifier(std::function<void()> notifier);

  // How long a finished picture waits for its ask-ahead to be taken up
  // (kFrameImageAskAheadWait unless set); set before Start.
  void SetAskAheadWait(std::chrono::milliseconds wait);
  // How much quick work the worker asks ahead for (kFrameImageAskAheadSpan
  // unless set); set before Start.
  void SetAskAheadSpan(std::chrono::milliseconds span);

  // Starts the thread; the view and ui are used inside ServeHandOver() only
  // and must outlive the worker. Once only; false when already started.
  bool Start(IFrameImageView& view, IUserInterface& ui);
  bool Started() const { return thread_.joinable() || stopped_; }

  // The request event: there may be work. Any thread.
  void Signal();

  // While suspended the worker asks for no new request; a picture under way
  // is finished and may still be handed back.
  void Suspend();
  void Resume();
  bool Suspended() const;

  // Sets the stop flag, wakes the worker and waits up to wait for it to end,
  // then closes the files it kept open. True when it ended in time. A worker that did not is left to end by
  // itself: the file-in-work buffer is cleared and never touched by it again,
  // and no further hand-over is served.
  bool Stop(std::chrono::milliseconds wait = kFrameImageStopWait);

  // Serves the hand-overs the worker has posted: the view's FetchRequest or
  // DeliverResult, or a message box. Returns how many were served.
  std::size_t ServeHandOver();
  // Waits up to maxWait for a posted hand-over; true when one is pending.
  bool WaitForHandOver(std::chrono::milliseconds maxWait) const;

  // True once the thread's loop has ended (after Stop, or after an exception).
  bool Finished() const;

  // Closes the worker's kept movie of path once no picture of it is under way
  // (for a source going that the file-in-work buffer does not guard).
  // Sources it guards have their movie closed by the buffer's release hook.
  void CloseFile(const std::string& path);
  // Whether a movie of path is kept open, and how many files were opened so
  // far (for tests and benchmarks).
  bool KeepsFileOpen(const std::string& path) const;
  std::int64_t FilesOpened() const;
  // Any thread.
  FrameImageHandOverCounts HandOverCounts() const;

 private:
  struct State;
  static void Run(std::shared_ptr<State> state);

  std::shared_ptr<State> state_;
  IFrameImageView* view_ = nullptr;
  IUserInterface* ui_ = nullptr;
  std::thread thread_;
  bool stopped_ = false;
};

}  // namespace vantorelle
