#include "convert/JpegJob.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "convert/TempFileName.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

constexpr int kJpegFormat = 7;

std::optional<JpegBytes> SaveAndReadBack(const PictavoApi& imaging, const DibRecord& picture, const std::string& path,
                                         void* ownerWindow) {
  // A failed save may leave a partial file behind.
  if (imaging.SaveDib(picture, path.c_str(), kJpegFormat, ownerWindow) != 0) return std::nullopt;
  return ReadWholeFile(path);
}

}  // namespace

std::optional<JpegBytes> ReadWholeFile(const std::string& path) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return std::nullopt;
  const long size = std::ftell(file.get());
  if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return std::nullopt;
  JpegBytes bytes{std::make_unique_for_overwrite<unsigned char[]>(static_cast<std::size_t>(size)),
                  static_cast<std::uint32_t>(size)};
  if (std::fread(bytes.data.get(), 1, bytes.size, file.get()) != bytes.size) return std::nullopt;
  return bytes;
}

TempFile::~TempFile() { ReleaseTempFileName(path_); }

JpegWorker::~JpegWorker() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

std::future<JpegResult> JpegWorker::Start(std::packaged_task<JpegResult()> task) {
  std::future<JpegResult> result = task.get_future();
  {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  ready_.notify_one();
  return result;
}

void JpegWorker::Loop(std::stop_token stop) {
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

JpegJob::JpegJob(JpegWorker& worker, const PictavoApi& imaging, const DibRecord& picture, PictureHolder region,
                 const std::string& path, void* ownerWindow)
    : result_(worker.Start(std::packaged_task<JpegResult()>(
          [&imaging, picture, region = std::move(region), path, ownerWindow]() mutable {
            PictureHolder owned = std::move(region);  // freed here if the save throws
            return JpegResult{SaveAndReadBack(imaging, picture, path, ownerWindow), std::move(owned)};
          }))) {}
