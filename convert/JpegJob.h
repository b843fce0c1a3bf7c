// The JPEG of one stored region, saved through the imaging module and read
// back on a worker thread while the conversion decodes the next frames.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "convert/PictureHolder.h"
#include "media/pictavo/PictavoApi.h"

struct JpegBytes {
  std::unique_ptr<unsigned char[]> data;
  std::uint32_t size = 0;
};

// The whole file in a buffer of exactly its size; empty when it cannot be read.
std::optional<JpegBytes> ReadWholeFile(const std::string& path);

struct JpegResult {
  std::optional<JpegBytes> bytes;  // empty: the file could not be read back
  PictureHolder region;            // handed back for reuse
};

// Deletes the temporary file when the job is done with, however that ends.
class TempFile {
 public:
  explicit TempFile(std::string path) : path_(std::move(path)) {}
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// One thread for a run's JPEG jobs: starting a thread per picture costs
// about as much as the picture's JPEG.
class JpegWorker {
 public:
  JpegWorker() : thread_([this](std::stop_token stop) { Loop(stop); }) {}
  // Stops and joins the thread before the queue goes.
  ~JpegWorker();
  JpegWorker(const JpegWorker&) = delete;
  JpegWorker& operator=(const JpegWorker&) = delete;
  std::future<JpegResult> Start(std::packaged_task<JpegResult()> task);

 private:
  void Loop(std::stop_token stop);

  std::mutex mutex_;
  std::condition_variable_any ready_;
  std::deque<std::packaged_task<JpegResult()>> tasks_;
  std::jthread thread_;
};

class JpegJob {
 public:
  // Saves picture: the rows of region, which the worker owns until the job is
  // done, or, with region empty, a picture the caller leaves unchanged until
  // then. imaging must outlive the job.
  JpegJob(JpegWorker& worker, const PictavoApi& imaging, const DibRecord& picture, PictureHolder region,
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
