#include "swf/FSWFStream.h"

namespace {
constexpr std::size_t initialReserve = 1024;
constexpr std::uint32_t shortLengthLimit = 62;    // longest body of a short tag header
constexpr std::uint32_t longLengthMarker = 0x3F;  // length bits of a long tag header
constexpr unsigned codeShift = 6;                 // the tag code sits above the 6 length bits
}  // namespace

FSWFStream::FSWFStream() { buffer.reserve(initialReserve); }

void FSWFStream::EmitByte(std::uint8_t value) {
  buffer.push_back(value);
  ++byteCount;
}

void FSWFStream::WriteBits(std::uint32_t value, std::uint32_t n) {
  if (n > 32) {
    n = 32;
  }
  while (n > 0) {
    if (n > bitPos) {
      // The top bitPos bits of the remaining field complete the byte.
      const std::uint32_t top = (value >> (n - bitPos)) & ((1u << bitPos) - 1u);
      EmitByte(static_cast<std::uint8_t>(currentByte | top));
      n -= bitPos;
      currentByte = 0;
      bitPos = 8;
    } else {
      const std::uint32_t low = value & ((1u << n) - 1u);
      currentByte = static_cast<std::uint8_t>(currentByte | (low << (bitPos - n)));
      bitPos -= n;
      n = 0;
      if (bitPos == 0) {
        EmitByte(currentByte);
        currentByte = 0;
        bitPos = 8;
      }
    }
  }
}

void FSWFStream::WriteByte(std::uint32_t value) { WriteBits(value & 0xFFu, 8); }

void FSWFStream::WriteWord(std::uint32_t value) {
  WriteByte(value & 0xFFu);
  WriteByte((value >> 8) & 0xFFu);
}

void FSWFStream::WriteDWord(std::uint32_t value) {
  WriteByte(value & 0xFFu);
  WriteByte((value >> 8) & 0xFFu);
  WriteByte((value >> 16) & 0xFFu);
  WriteByte(value >> 24);
}

void FSWFStream::FlushBits() {
  if (bitPos == 8) {
    return;
  }
  EmitByte(currentByte);
  currentByte = 0;
  bitPos = 8;
}

void FSWFStream::Clear() {
  buffer.clear();
  byteCount = 0;
  bitPos = 8;
  currentByte = 0;
  largeData.clear();
}

void FSWFStream::AddLargeData(const unsigned char* data, std::uint32_t size) {
  largeData.push_back(LargeData{byteCount, data, size});
}

std::uint32_t FSWFStream::Size() const {
  std::uint32_t total = byteCount;
  for (const LargeData& record : largeData) {
    total += record.size;
  }
  return total;
}

void FSWFStream::AppendStream(FSWFStream& source) {
  std::uint32_t i = 0;
  while (!source.largeData.empty()) {
    const LargeData record = source.largeData.front();
    source.largeData.pop_front();
    for (; i < record.position; ++i) {
      WriteByte(source.buffer[i]);
    }
    AddLargeData(record.data, record.size);
  }
  for (; i < source.byteCount; ++i) {
    WriteByte(source.buffer[i]);
  }
}

namespace {
bool WriteAll(std::FILE* file, const unsigned char* bytes, std::size_t count) {
  return count == 0 || std::fwrite(bytes, 1, count, file) == count;
}
}  // namespace

bool FSWFStream::WriteToFile(std::FILE* file) {
  bool complete = true;
  std::uint32_t p = 0;
  while (!largeData.empty()) {
    const LargeData record = largeData.front();
    largeData.pop_front();
    complete = WriteAll(file, buffer.data() + p, record.position - p) && complete;
    complete = WriteAll(file, record.data, record.size) && complete;
    p = record.position;
  }
  return WriteAll(file, buffer.data() + p, byteCount - p) && complete;
}

void FSWFStream::WriteTagHeader(std::uint16_t code, std::uint32_t length, FSWFStream* body) {
  // The shift is done in 16 bits: codes above 1023 lose their high bits.
  const auto codeBits = static_cast<std::uint16_t>(code << codeShift);
  if (length <= shortLengthLimit) {
    WriteWord(codeBits | length);
  } else {
    WriteWord(codeBits | longLengthMarker);
    WriteDWord(length);
  }
  if (body != nullptr) {
    AppendStream(*body);
  }
}

std::uint32_t BitsNeeded(std::uint32_t m, std::uint16_t extra) {
  if (m == 0) {
    return extra;
  }
  std::uint32_t i = 1;
  while (i < 33 && std::uint64_t{m} >= (std::uint64_t{1} << i)) {
    ++i;
  }
  return i + extra;
}

namespace {
std::uint32_t Magnitude(std::int32_t v) {
  return v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
}
}  // namespace

std::int32_t MaxAbs(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
  std::uint32_t largest = Magnitude(a);
  for (std::int32_t v : {b, c, d}) {
    if (Magnitude(v) > largest) {
      largest = Magnitude(v);
    }
  }
  return static_cast<std::int32_t>(largest);
}
