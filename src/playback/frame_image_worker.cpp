#include "playback/frame_image_worker.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "playback/frame_image_producer.h"
#include "playback/thread_priority.h"

namespace vantorelle {
namespace {

using Clock = std::chrono::steady_clock;

// One call of the worker into the user-interface thread.
struct HandOver {
  enum class Kind {
    Fetch,    // the next request; waited for
    Deliver,  // a result, and the next request; waited for
    Return,   // a result alone; not waited for, and wakes nobody
    Ahead,    // the requests after underWay; taken up later, or withdrawn
    Report,   // a message box; waited for
  };
  Kind kind = Kind::Fetch;
  std::optional<FrameRequest> fetched;  // Fetch, Deliver: the view's answer
  FrameRequest result;                  // Deliver, Return
  std::vector<FrameRequest> underWay;   // Ahead: the requests in hand, without pictures
  std::size_t most = 0;                 // Ahead: how many to ask for
  std::vector<FrameRequest> following;  // Ahead: the view's answer, of underWay's file
  FrameImageReport report;              // Report
  bool taken = false;                   // the user-interface thread is serving it
  bool served = false;
  bool accepted = false;
  bool fetchTried = false;  // Deliver: the next request was asked for too
};

// How many requests to hold in hand after a picture that took took: enough
// for span of work; none after a slow one.
std::size_t RequestsToHold(Clock::duration took, std::chrono::milliseconds span) {
  if (took >= kFrameImageAskAheadBelow) return 0;
  const auto each = std::max<Clock::duration>(took, std::chrono::microseconds(1));
  const auto count = static_cast<std::size_t>(Clock::duration(span) / each);
  return std::clamp<std::size_t>(count, 1, kFrameImageMostAhead);
}

}  // namespace

struct FrameImageWorker::State {
  State(std::unique_ptr<IKlpComponentFactory> factory_, FileInWork& fileInWork_)
      : factory(std::move(factory_)), fileInWork(fileInWork_) {}

  std::unique_ptr<IKlpComponentFactory> factory;  // used by the worker thread only
  FileInWork& fileInWork;                         // touched by the thread only while not abandoned
  std::function<void()> notifier;
  std::chrono::milliseconds askAheadWait = kFrameImageAskAheadWait;
  std::chrono::milliseconds askAheadSpan = kFrameImageAskAheadSpan;

  mutable std::mutex mutex;
  std::condition_variable wake;             // the worker waits: signal, resume, stop, served
  mutable std::condition_variable posted;   // the user-interface thread waits for a hand-over
  std::condition_variable finishedChanged;
  bool stop = false;
  bool signalled = false;
  bool suspended = false;
  bool finished = false;
  bool abandoned = false;
  std::deque<std::shared_ptr<HandOver>> queue;  // posted, not yet taken; served in this order
  // The user-interface thread was woken since it last found the queue empty:
  // it serves whatever is added meanwhile without another wake-up.
  bool uiWoken = false;
  FrameImageHandOverCounts counts;

  std::set<std::string> reported;  // worker thread only

  // Borrowed from by the worker for each picture; the user-interface thread
  // closes a file's movie in it before the source of the file is destroyed.
  FrameImageComponents components;

  // With the lock held: true when the user-interface thread is to be woken.
  bool NoteWakeUp() {
    if (queue.empty() || uiWoken) return false;
    uiWoken = true;
    ++counts.wakeUps;
    return true;
  }

  void CallUi() {
    posted.notify_all();
    if (notifier) notifier();
  }

  // Queues the call for the user-interface thread, waking it unless quietly;
  // false when stopping.
  bool Queue(const std::shared_ptr<HandOver>& call, bool quietly = false) {
    bool callUi = false;
    {
      std::lock_guard lock(mutex);
      if (stop) return false;
      queue.push_back(call);
      ++counts.handOvers;
      if (call->kind == HandOver::Kind::Ahead) ++counts.askAheads;
      callUi = !quietly && NoteWakeUp();
    }
    if (callUi) CallUi();
    return true;
  }

  // Wakes the user-interface thread for results queued quietly: before the
  // worker waits for anything but a call it posts.
  void WakeUi() {
    bool callUi = false;
    {
      std::lock_guard lock(mutex);
      callUi = !stop && NoteWakeUp();
    }
    if (callUi) CallUi();
  }

  // Posts the call and waits until it is served; none when stopping first.
  std::shared_ptr<HandOver> Post(std::shared_ptr<HandOver> call) {
    if (!Queue(call)) return nullptr;
    const auto began = Clock::now();
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return call->served || stop; });
    ++counts.roundTrips;
    counts.waited += Clock::now() - began;
    if (stop) return nullptr;
    return call;
  }

  // With the lock held: takes the call out of the queue if it is still there.
  void Unqueue(const std::shared_ptr<HandOver>& call) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
      if (*it == call) {
        queue.erase(it);
        return;
      }
    }
  }

  // Takes the answer of the ask-ahead into hand once it is served. Waits only
  // when nothing else is in hand: at most askAheadWait for the user-interface
  // thread to take it up (then until it is served); one not taken up by then
  // is withdrawn, for that thread may be waiting for the file in work.
  void TakeIn(std::shared_ptr<HandOver>& ahead, std::deque<FrameRequest>& inHand, bool wait) {
    std::unique_lock lock(mutex);
    if (wait && !ahead->served) {
      const auto began = Clock::now();
      wake.wait_for(lock, askAheadWait, [&] { return ahead->taken || stop; });
      if (ahead->taken) wake.wait(lock, [&] { return ahead->served || stop; });
      counts.waited += Clock::now() - began;
      if (!ahead->taken) {
        Unqueue(ahead);
        ++counts.withdrawn;
        ahead.reset();
        return;
      }
    }
    if (!ahead->served || stop) return;  // looked at again after the next picture
    for (FrameRequest& request : ahead->following) inHand.push_back(std::move(request));
    ahead.reset();
  }

  // Drops the ask-ahead: served or not, its answer is not used.
  void Withdraw(std::shared_ptr<HandOver>& ahead) {
    if (!ahead) return;
    std::lock_guard lock(mutex);
    Unqueue(ahead);
    ahead.reset();
  }

  void ClearFileInWork() {
    std::lock_guard lock(mutex);
    if (!abandoned) fileInWork.Clear();
  }

  // A failure is shown once: the view asks for the same picture again and
  // again, and each attempt would otherwise bring up the same box.
  void ReportOnce(const std::string& path, const std::vector<FrameImageReport>& reports) {
    for (const FrameImageReport& report : reports) {
      if (!reported.insert(path + '\n' + report.caption + '\n' + report.text).second) continue;
      auto call = std::make_shared<HandOver>();
      call->kind = HandOver::Kind::Report;
      call->report = report;
      if (!Post(call)) return;
    }
  }

  // True to go on waiting for work; false once stopping.
  bool WaitForWork() {
    WakeUi();
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return stop || (signalled && !suspended); });
    if (stop) return false;
    signalled = false;
    return true;
  }

  bool Stopping() const {
    std::lock_guard lock(mutex);
    return stop;
  }

  bool StoppingOrSuspended() const {
    std::lock_guard lock(mutex);
    return stop || suspended;
  }

  bool WaitWhileSuspended() {
    WakeUi();
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return stop || !suspended; });
    return !stop;
  }

  void Loop() {
    while (WaitForWork()) MakeRun();
  }

  // Pictures one after another until nothing is missing, a picture fails or
  // the worker stops.
  void MakeRun() {
    // Requests handed out and not yet begun, in order: the file-in-work
    // buffer names their file.
    std::deque<FrameRequest> inHand;
    std::shared_ptr<HandOver> ahead;  // posted; its answer not yet in hand
    Clock::duration took = kFrameImageAskAheadBelow;  // the last picture's making
    for (;;) {
      if (!inHand.empty() && StoppingOrSuspended()) {
        // Requests not begun wait for the view to ask again.
        Withdraw(ahead);
        inHand.clear();
        ClearFileInWork();
      }
      if (inHand.empty()) {
        if (!WaitWhileSuspended()) return;
        auto fetch = std::make_shared<HandOver>();
        fetch->kind = HandOver::Kind::Fetch;
        std::shared_ptr<HandOver> answer = Post(fetch);
        if (!answer || !answer->fetched) {
          // Stopping after the view handed a request out names its file still.
          ClearFileInWork();
          return;
        }
        inHand.push_back(std::move(*answer->fetched));
      }
      FrameRequest request = std::move(inHand.front());
      inHand.pop_front();
      const std::size_t hold = RequestsToHold(took, askAheadSpan);
      if (!ahead && hold > 0 && inHand.size() < (hold + 1) / 2) {
        ahead = std::make_shared<HandOver>();
        ahead->kind = HandOver::Kind::Ahead;
        ahead->underWay.push_back(request);
        ahead->underWay.insert(ahead->underWay.end(), inHand.begin(), inHand.end());
        ahead->most = hold - inHand.size();
        if (!Queue(ahead)) ahead.reset();
      }
      const auto started = Clock::now();
      const bool made = ProduceFrameImage(*factory, request, components);
      took = Clock::now() - started;
      if (!made) {
        // Given up: wait for the view to ask again rather than spin on it.
        Withdraw(ahead);
        inHand.clear();
        ClearFileInWork();
        ReportOnce(request.path, request.reports);
        return;
      }
      if (ahead) TakeIn(ahead, inHand, inHand.empty());
      if (!inHand.empty()) {
        // Handed back without waiting or waking: served with the next call
        // that wakes the user-interface thread.
        auto giveBack = std::make_shared<HandOver>();
        giveBack->kind = HandOver::Kind::Return;
        giveBack->result = std::move(request);
        Queue(giveBack, true);
        continue;
      }
      ClearFileInWork();
      // One trip to the user-interface thread hands the picture over and
      // fetches the next request.
      auto deliver = std::make_shared<HandOver>();
      deliver->kind = HandOver::Kind::Deliver;
      deliver->result = std::move(request);
      std::shared_ptr<HandOver> answer = Post(deliver);  // a result the view refuses is freed with the hand-over
      if (!answer) {
        ClearFileInWork();
        return;
      }
      if (answer->fetchTried && !answer->fetched) return;  // nothing is missing
      if (answer->fetched) inHand.push_back(std::move(*answer->fetched));
    }
  }
};

FrameImageWorker::FrameImageWorker(std::unique_ptr<IKlpComponentFactory> factory, FileInWork& fileInWork)
    : state_(std::make_shared<State>(std::move(factory), fileInWork)) {
  // A source being destroyed waits until its file is out of work, then has
  // the worker's movie of it closed.
  fileInWork.SetReleaseHook([state = state_](const std::string& path) { state->components.CloseMovie(path); });
}

FrameImageWorker::~FrameImageWorker() { Stop(); }

void FrameImageWorker::SetHandOverNotifier(std::function<void()> notifier) {
  if (!thread_.joinable()) state_->notifier = std::move(notifier);
}

void FrameImageWorker::SetAskAheadWait(std::chrono::milliseconds wait) {
  if (!thread_.joinable()) state_->askAheadWait = wait;
}

void FrameImageWorker::SetAskAheadSpan(std::chrono::milliseconds span) {
  if (!thread_.joinable()) state_->askAheadSpan = span;
}

bool FrameImageWorker::Start(IFrameImageView& view, IUserInterface& ui) {
  if (Started()) return false;
  view_ = &view;
  ui_ = &ui;
  thread_ = std::thread(&FrameImageWorker::Run, state_);
  return true;
}

void FrameImageWorker::Run(std::shared_ptr<State> state) {
  LowerThreadPriority();
  try {
    state->Loop();
  } catch (...) {
    state->ClearFileInWork();
    auto call = std::make_shared<HandOver>();
    call->kind = HandOver::Kind::Report;
    call->report = FrameImageReport{"Work Thread Exeption", "Exeption", MessageIcon::Error, MessageButtons::Ok};
    try {
      state->Post(call);
    } catch (...) {
    }
  }
  {
    std::lock_guard lock(state->mutex);
    state->finished = true;
  }
  state->finishedChanged.notify_all();
  state->posted.notify_all();
}

void FrameImageWorker::Signal() {
  {
    std::lock_guard lock(state_->mutex);
    state_->signalled = true;
  }
  state_->wake.notify_all();
}

void FrameImageWorker::Suspend() {
  std::lock_guard lock(state_->mutex);
  state_->suspended = true;
}

void FrameImageWorker::Resume() {
  {
    std::lock_guard lock(state_->mutex);
    state_->suspended = false;
  }
  state_->wake.notify_all();
}

bool FrameImageWorker::Suspended() const {
  std::lock_guard lock(state_->mutex);
  return state_->suspended;
}

bool FrameImageWorker::Finished() const {
  std::lock_guard lock(state_->mutex);
  return state_->finished;
}

void FrameImageWorker::CloseFile(const std::string& path) {
  // A picture of the file under way would keep its movie again: wait for it.
  state_->fileInWork.WaitWhileHolding(path);
  state_->components.CloseMovie(path);
}

bool FrameImageWorker::KeepsFileOpen(const std::string& path) const { return state_->components.HoldsMovie(path); }

std::int64_t FrameImageWorker::FilesOpened() const { return state_->components.MoviesOpened(); }

FrameImageHandOverCounts FrameImageWorker::HandOverCounts() const {
  std::lock_guard lock(state_->mutex);
  return state_->counts;
}

bool FrameImageWorker::Stop(std::chrono::milliseconds wait) {
  state_->fileInWork.SetReleaseHook(nullptr);
  if (!thread_.joinable()) {
    // A worker left inside a component still uses its images.
    if (!stopped_ || Finished()) state_->components.CloseAll();
    return true;
  }
  {
    std::lock_guard lock(state_->mutex);
    state_->stop = true;
    state_->queue.clear();
  }
  state_->wake.notify_all();
  bool ended = false;
  {
    std::unique_lock lock(state_->mutex);
    ended = state_->finishedChanged.wait_for(lock, wait, [&] { return state_->finished; });
    if (!ended) state_->abandoned = true;
  }
  stopped_ = true;
  if (ended) {
    thread_.join();
    state_->components.CloseAll();
  } else {
    // Still inside a component: let it end on its own with the state it
    // shares, and let no source wait on it meanwhile.
    state_->fileInWork.Clear();
    thread_.detach();
  }
  return ended;
}

std::size_t FrameImageWorker::ServeHandOver() {
  std::size_t served = 0;
  for (;;) {
    std::shared_ptr<HandOver> call;
    bool holdBack = false;  // suspended or stopping: no new request is handed out
    {
      std::lock_guard lock(state_->mutex);
      if (state_->stop) break;
      if (state_->queue.empty()) {
        state_->uiWoken = false;  // the next call wakes this thread again
        break;
      }
      call = std::move(state_->queue.front());
      state_->queue.pop_front();
      call->taken = true;
      holdBack = state_->suspended || state_->stop;
    }
    // A worker waiting for its ask-ahead to be taken up goes on waiting.
    if (call->kind == HandOver::Kind::Ahead) state_->wake.notify_all();
    switch (call->kind) {
      case HandOver::Kind::Fetch:
        call->fetched = view_->FetchRequest();
        if (call->fetched) state_->fileInWork.Set(call->fetched->path);
        break;
      case HandOver::Kind::Deliver:
        call->accepted = view_->DeliverResult(call->result);
        {
          std::lock_guard lock(state_->mutex);
          holdBack = state_->suspended || state_->stop;
        }
        if (!holdBack) {
          call->fetchTried = true;
          call->fetched = view_->FetchRequest();
          if (call->fetched) state_->fileInWork.Set(call->fetched->path);
        }
        break;
      case HandOver::Kind::Return:
        call->accepted = view_->DeliverResult(call->result);
        break;
      case HandOver::Kind::Ahead:
        if (!holdBack && !call->underWay.empty()) {
          std::vector<FrameRequest> following = view_->FetchRequestsAfter(call->underWay, call->most);
          // The buffer names underWay's file already; another file waits for
          // the round trip, which names it.
          for (FrameRequest& request : following) {
            if (request.path != call->underWay.front().path || call->following.size() == call->most) break;
            call->following.push_back(std::move(request));
          }
        }
        break;
      case HandOver::Kind::Report:
        ui_->ShowMessage(call->report.text, call->report.caption, call->report.icon, call->report.buttons);
        break;
    }
    {
      std::lock_guard lock(state_->mutex);
      call->served = true;
    }
    if (call->kind != HandOver::Kind::Return) state_->wake.notify_all();  // nobody waits for a return
    ++served;
  }
  return served;
}

bool FrameImageWorker::WaitForHandOver(std::chrono::milliseconds maxWait) const {
  std::unique_lock lock(state_->mutex);
  state_->posted.wait_for(lock, maxWait, [&] { return !state_->queue.empty() || state_->finished; });
  return !state_->queue.empty();
}

}  // namespace vantorelle
