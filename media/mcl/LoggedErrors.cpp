#include "media/mcl/LoggedErrors.h"

#include <mutex>
#include <unordered_set>

namespace mcl {
namespace {

// The counters alive: a context's opaque field is trusted only where it names
// one of them (FFmpeg's own contexts leave it empty, and a context may
// outlive its reader's counter by a few log lines).
std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}
std::unordered_set<const LoggedErrors*>& Registry() {
  static std::unordered_set<const LoggedErrors*> counters;
  return counters;
}

// The user field of the decoder's or demuxer's context that logged, if it is one.
void* OpaqueOf(void* context) {
  if (context == nullptr) return nullptr;
  const AVClass* logClass = *static_cast<const AVClass* const*>(context);
  if (logClass == avcodec_get_class()) return static_cast<AVCodecContext*>(context)->opaque;
  if (logClass == avformat_get_class()) return static_cast<AVFormatContext*>(context)->opaque;
  return nullptr;
}

}  // namespace

LoggedErrors::LoggedErrors() {
  const std::lock_guard lock(RegistryMutex());
  Registry().insert(this);
}

LoggedErrors::~LoggedErrors() {
  const std::lock_guard lock(RegistryMutex());
  Registry().erase(this);
}

void LoggedErrors::Install() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_callback(&LoggedErrors::Handle); });
}

void LoggedErrors::Handle(void* context, int level, const char*, va_list) {
  if (level > AV_LOG_ERROR) return;
  auto* counter = static_cast<LoggedErrors*>(OpaqueOf(context));
  if (counter == nullptr) return;
  const std::lock_guard lock(RegistryMutex());
  if (Registry().count(counter) != 0) counter->count_.fetch_add(1);
}

LoggedErrors* LoggedErrors::Of(const AVCodecContext& codec) {
  auto* counter = static_cast<LoggedErrors*>(codec.opaque);
  const std::lock_guard lock(RegistryMutex());
  return Registry().count(counter) != 0 ? counter : nullptr;
}

}  // namespace mcl
