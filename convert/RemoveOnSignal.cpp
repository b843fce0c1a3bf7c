#include "convert/RemoveOnSignal.h"

#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

// A slot is claimed by whoever moves it out of its state first: the owner
// fills a free one and frees an active one, the signal handler takes active
// ones. So the handler never reads a path while it is being written, and
// nothing here allocates or locks, which a signal handler must not.
enum SlotState : int { kFree, kFilling, kActive, kTaken };

struct Slot {
  std::atomic<int> state{kFree};
  bool folder = false;
  char path[PATH_MAX] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kSlotCount = 64;  // a run holds three at most
std::array<Slot, kSlotCount> slots;

// Every signal whose default action ends the program and that the program
// can catch; SIGXFSZ and SIGPIPE only where the program has not chosen to
// see the failed write instead.
constexpr std::array<int, 10> kEndingSignals = {SIGINT,  SIGTERM, SIGHUP,  SIGPIPE, SIGQUIT,
                                                SIGALRM, SIGXCPU, SIGXFSZ, SIGUSR1, SIGUSR2};

// Files first, so that the folders holding them are empty when their turn comes.
extern "C" void RemoveAndEnd(int signalNumber) {
  const int savedErrno = errno;
  std::array<int, kSlotCount> folders{};
  int folderCount = 0;
  for (int i = kSlotCount - 1; i >= 0; --i) {
    int active = kActive;
    if (!slots[i].state.compare_exchange_strong(active, kTaken)) continue;
    if (slots[i].folder)
      folders[folderCount++] = i;
    else
      unlink(slots[i].path);
  }
  for (int k = 0; k < folderCount; ++k) rmdir(slots[folders[k]].path);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);  // delivered with the default action once the handler returns
  errno = savedErrno;
}

// Only where the program would simply end: an ignored signal stays ignored,
// and a handler of someone else's is left alone.
void InstallHandlers() {
  for (const int signalNumber : kEndingSignals) {
    struct sigaction current {};
    if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
    struct sigaction handler {};
    handler.sa_handler = RemoveAndEnd;
    sigfillset(&handler.sa_mask);  // one removal at a time, whichever signal comes
    sigaction(signalNumber, &handler, nullptr);
  }
}

int Register(const std::string& path, bool folder) {
  static std::once_flag installed;
  std::call_once(installed, InstallHandlers);
  if (path.empty() || path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlotCount; ++i) {
    int free = kFree;
    if (!slots[i].state.compare_exchange_strong(free, kFilling)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].folder = folder;
    slots[i].state.store(kActive);
    return i;
  }
  return -1;
}

}  // namespace

RemoveOnSignal::RemoveOnSignal(const std::string& path, Kind kind) : slot_(Register(path, kind == Kind::Folder)) {}

RemoveOnSignal::~RemoveOnSignal() { Release(); }

RemoveOnSignal::RemoveOnSignal(RemoveOnSignal&& other) noexcept : slot_(std::exchange(other.slot_, -1)) {}

RemoveOnSignal& RemoveOnSignal::operator=(RemoveOnSignal&& other) noexcept {
  if (this != &other) {
    Release();
    slot_ = std::exchange(other.slot_, -1);
  }
  return *this;
}

// A slot the handler has taken stays taken: the program is ending.
void RemoveOnSignal::Release() {
  if (slot_ < 0) return;
  int active = kActive;
  slots[slot_].state.compare_exchange_strong(active, kFree);
  slot_ = -1;
}

EndingSignalsHeld::EndingSignalsHeld() {
  sigset_t ending;
  sigemptyset(&ending);
  for (const int signalNumber : kEndingSignals) sigaddset(&ending, signalNumber);
  pthread_sigmask(SIG_BLOCK, &ending, &previous_);
}

EndingSignalsHeld::~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
