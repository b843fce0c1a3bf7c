// Sound handed to an encoder waits in one interleaved queue; null samples
// stand for silence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline void AppendSamples(std::vector<std::int16_t>& queue, const std::int16_t* samples, std::int64_t frames,
                          int channels) {
  const auto count = static_cast<std::size_t>(frames * channels);
  if (samples != nullptr)
    queue.insert(queue.end(), samples, samples + count);
  else
    queue.resize(queue.size() + count, 0);
}
