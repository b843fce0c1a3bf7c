#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include <gtest/gtest.h>

class FObj;
class FSWFStream;

using Bytes = std::vector<std::uint8_t>;

// Equal bytes, or the first differing offset and a hex dump of both around it.
::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected);

// What a stream stands for, large blocks included, read back through a file.
Bytes StreamBytes(FSWFStream& stream);
// The complete tag an object writes into an empty stream.
Bytes TagBytes(const FObj& tag);

Bytes Join(std::initializer_list<Bytes> parts);
