#include "tests/swf/ByteMatch.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>

#include "swf/swf.h"

namespace {
constexpr std::size_t before = 16;  // dump context ahead of the difference
constexpr std::size_t after = 32;

std::string Dump(const Bytes& bytes, std::size_t from, std::size_t to) {
  std::ostringstream out;
  out << std::hex << std::uppercase;
  for (std::size_t i = from; i < to && i < bytes.size(); ++i) {
    if ((i - from) % 16 == 0) {
      out << "\n  " << i << ":";
    }
    out << ' ' << (bytes[i] < 0x10 ? "0" : "") << int{bytes[i]};
  }
  return out.str();
}
}  // namespace

::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
  const std::size_t common = std::min(actual.size(), expected.size());
  std::size_t offset = 0;
  while (offset < common && actual[offset] == expected[offset]) {
    ++offset;
  }
  if (offset == actual.size() && offset == expected.size()) {
    return ::testing::AssertionSuccess();
  }
  const std::size_t from = offset > before ? offset - before : 0;
  return ::testing::AssertionFailure() << "first difference at offset " << offset << " (sizes " << actual.size()
                                       << " and " << expected.size()
                                       << ")\nactual:" << Dump(actual, from, offset + after)
                                       << "\nexpected:" << Dump(expected, from, offset + after);
}

Bytes StreamBytes(FSWFStream& stream) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
  if (!file || !stream.WriteToFile(file.get())) {
    ADD_FAILURE() << "cannot write the stream to a temporary file";
    return {};
  }
  const long size = std::ftell(file.get());
  std::rewind(file.get());
  Bytes bytes(static_cast<std::size_t>(size));
  if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    ADD_FAILURE() << "cannot read the stream back";
  }
  return bytes;
}

Bytes TagBytes(const FObj& tag) {
  FSWFStream stream;
  tag.WriteTo(stream);
  return StreamBytes(stream);
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes joined;
  for (const Bytes& part : parts) {
    joined.insert(joined.end(), part.begin(), part.end());
  }
  return joined;
}
