// The JPEG of one stored region, saved through the imaging module and read
// back on a worker thread while the conversion decodes the next frames.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "media/pictavo/PictavoApi.h"

using JpegBytes = std::vector<unsigned char>;

// Reads the whole file into bytes, reusing their room; false when it cannot be read.
bool ReadWholeFile(const std::string& path, JpegBytes& bytes);

enum class JpegOutcome {
  Read,     // bytes hold the file
  Failed,   // the file could not be saved or read back
  Skipped,  // not tried: an earlier job had failed
};

struct JpegResult {
  JpegOutcome outcome = JpegOutcome::Failed;
  JpegBytes bytes;  // the file; handed back for reuse either way
};

// Threads for a run's JPEG jobs, started in the order given, several at once
// with several threads: starting a thread per picture costs about as much as
// the picture's JPEG. Without threads, jobs run at once. After a job fails,
// the jobs not yet started are skipped until Unblock: they were decided on the
// hope that it would not.
class JpegWorker {
 public:
  // threads: 0 runs each job at once on the caller's thread.
  explicit JpegWorker(int threads);
  // Stops and joins the threads before the queue goes.
  ~JpegWorker();
  JpegWorker(const JpegWorker&) = delete;
  JpegWorker& operator=(const JpegWorker&) = delete;
  std::future<JpegResult> Start(std::packaged_task<JpegResult()> task);

  bool Blocked() const { return blocked_.load(); }
  void Block() { blocked_.store(true); }
  void Unblock() { blocked_.store(false); }

 private:
  std::atomic<bool> blocked_{false};
  void Loop(std::stop_token stop);

  std::mutex mutex_;
  std::condition_variable_any ready_;
  std::deque<std::packaged_task<JpegResult()>> tasks_;
  std::vector<std::jthread> threads_;
};

// A rectangle of a picture, saved without copying its rows.
struct PictureView {
  DibInfoHeader header;  // the rectangle's size
  unsigned char* rows;   // its bottom row's first pixel
  std::int32_t rowLength;
};

class JpegJob {
 public:
  // Saves the view's rows, which the caller leaves unchanged until the job is
  // done, to path, reads the file back and deletes it. imaging and worker
  // must outlive the job.
  JpegJob(JpegWorker& worker, const PictavoApi& imaging, const PictureView& picture, JpegBytes room,
          const std::string& path, void* ownerWindow);
  ~JpegJob() { Settle(); }
  JpegJob(const JpegJob&) = delete;
  JpegJob& operator=(const JpegJob&) = delete;

  // Waits for the worker; an exception thrown there is thrown here.
  JpegResult Wait() { return result_.get(); }
  // Waits for the worker to be done with the picture and the file.
  void Settle() {
    if (result_.valid()) result_.wait();
  }

 private:
  std::future<JpegResult> result_;
};
