// The symbol counts behind Huffman tables made for one picture and the tables,
// with the same result as libjpeg's own counting pass but faster: each block's
// non-zero coefficients are found as one bit mask in zigzag order and only
// they are visited, where libjpeg tests all 63 one by one.
#pragma once

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>
// clang-format on

class HuffmanCounts {
 public:
  // Counts in libjpeg's stead from here on; called right after
  // jpeg_start_compress of a baseline JPEG with optimize_coding set and no
  // restart markers. Makes the tables when libjpeg ends the counting pass,
  // so it must outlive jpeg_finish_compress. Uses cinfo's client_data.
  void TakeOver(j_compress_ptr cinfo);

 private:
  static boolean CountMcu(j_compress_ptr cinfo, JBLOCKROW* blocks);
  static void MakeTables(j_compress_ptr cinfo);
  static HuffmanCounts& Of(j_compress_ptr cinfo) { return *static_cast<HuffmanCounts*>(cinfo->client_data); }
  void CountBlock(j_compress_ptr cinfo, const JCOEF* block, int lastDc, long* dc, long* ac);

  static constexpr int kSymbols = 257;  // 256 and the reserved one libjpeg adds
  long dcCounts_[NUM_HUFF_TBLS][kSymbols];
  long acCounts_[NUM_HUFF_TBLS][kSymbols];
  int lastDc_[MAX_COMPS_IN_SCAN];
};
