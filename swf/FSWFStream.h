#pragma once

#include <cstdint>
#include <cstdio>
#include <list>
#include <vector>

// Output stream of the SWF writer: bit fields most significant bit first,
// integers little-endian. Large blocks are kept by reference and only
// spliced in when the stream is written to a file.
class FSWFStream {
 public:
  // A block borrowed from its owner; it belongs in front of the buffer byte
  // with index `position`.
  struct LargeData {
    std::uint32_t position;
    const unsigned char* data;
    std::uint32_t size;
  };

  FSWFStream();

  void WriteBits(std::uint32_t value, std::uint32_t n);
  void WriteByte(std::uint32_t value);
  void WriteWord(std::uint32_t value);
  void WriteDWord(std::uint32_t value);
  void FlushBits();

  // Empties the stream for reuse; the buffer keeps its room.
  void Clear();
  void AddLargeData(const unsigned char* data, std::uint32_t size);
  std::uint32_t Size() const;
  // Moves the source's records over; the source has none left afterwards.
  void AppendStream(FSWFStream& source);
  // Writes the content with the blocks spliced in and uses up the records.
  // Returns false when any write fell short.
  bool WriteToFile(std::FILE* file);
  void WriteTagHeader(std::uint16_t code, std::uint32_t length, FSWFStream* body = nullptr);

  // The completed bytes (blocks not included).
  unsigned char* Buffer() { return buffer.data(); }
  const unsigned char* Buffer() const { return buffer.data(); }
  std::uint32_t ByteCount() const { return byteCount; }
  const std::list<LargeData>& LargeDataRecords() const { return largeData; }

 private:
  void EmitByte(std::uint8_t value);

  std::vector<unsigned char> buffer;
  std::uint32_t byteCount = 0;
  std::uint32_t bitPos = 8;
  std::uint8_t currentByte = 0;
  std::list<LargeData> largeData;
};

// Bit length of m plus `extra` (1 for the sign bit of signed fields).
std::uint32_t BitsNeeded(std::uint32_t m, std::uint16_t extra);
// The largest absolute value of the four arguments.
std::int32_t MaxAbs(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);
