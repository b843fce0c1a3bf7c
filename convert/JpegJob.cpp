#include "convert/JpegJob.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace {

constexpr int kJpegFormat = 7;
constexpr int kWorkerNiceness = 10;

// The thread that decodes and compares decides when pictures are ready, so
// it runs whenever it can; the JPEG threads take the rest of the machine.
// On Linux a thread's niceness is its own.
void YieldToDecoding() {
  const auto self = static_cast<id_t>(::gettid());
  errno = 0;
  const int now = ::getpriority(PRIO_PROCESS, self);
  if (errno == 0) ::setpriority(PRIO_PROCESS, self, std::min(now + kWorkerNiceness, 19));
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// The file is kept from picture to picture and saved over: making and
// removing one per picture cost more than the JPEG's own bytes. A save that
// fails leaves no file behind; one that succeeds leaves a JPEG, never nothing.
bool SaveAndReadBack(const PictavoApi& imaging, const PictureView& view, const std::string& path, void* ownerWindow,
                     JpegBytes& bytes) {
  DibInfoHeader header = view.header;
  const DibRecord picture{&header, nullptr, static_cast<std::size_t>(view.rowLength) * view.header.height, view.rows,
                          view.rowLength};
  if (imaging.SaveDib(picture, path.c_str(), kJpegFormat, ownerWindow) != 0) return false;
  return ReadWholeFile(path, bytes) && !bytes.empty();
}

}  // namespace

bool ReadWholeFile(const std::string& path, JpegBytes& bytes) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat status {};
  if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || status.st_size < 0) return false;
  bytes.resize(static_cast<std::size_t>(status.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

JpegWorker::JpegWorker(int threads) {
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this](std::stop_token stop) { Loop(stop); });
}

JpegWorker::~JpegWorker() {
  for (std::jthread& thread : threads_) thread.request_stop();
  for (std::jthread& thread : threads_) thread.join();
}

std::future<JpegResult> JpegWorker::Start(std::packaged_task<JpegResult()> task) {
  std::future<JpegResult> result = task.get_future();
  if (threads_.empty()) {
    task();
    return result;
  }
  {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  ready_.notify_one();
  return result;
}

void JpegWorker::Loop(std::stop_token stop) {
  YieldToDecoding();
  for (;;) {
    std::packaged_task<JpegResult()> task;
    {
      std::unique_lock lock(mutex_);
      if (!ready_.wait(lock, stop, [this] { return !tasks_.empty(); })) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();  // an exception goes into the job's future
  }
}

JpegJob::JpegJob(JpegWorker& worker, const PictavoApi& imaging, const PictureView& picture, JpegBytes room,
                 const std::string& path, void* ownerWindow)
    : result_(worker.Start(std::packaged_task<JpegResult()>(
          [&worker, &imaging, picture, room = std::move(room), path, ownerWindow]() mutable {
            JpegResult result{JpegOutcome::Skipped, std::move(room)};
            if (worker.Blocked()) return result;
            const bool read = SaveAndReadBack(imaging, picture, path, ownerWindow, result.bytes);
            result.outcome = read ? JpegOutcome::Read : JpegOutcome::Failed;
            if (!read) worker.Block();
            return result;
          }))) {}
