#include "media/pictavo/HuffmanCounts.h"

// clang-format off
#include <jerror.h>
#include <jpegint.h>  // the entropy encoder's methods, replaced for the counting pass
// clang-format on

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int kLargestDcBits = 11;  // a difference of two 8-bit DC values
constexpr int kLargestAcBits = 10;
constexpr int kRunOfSixteen = 0xF0;
constexpr int kEndOfBlock = 0;

// For each byte of a block's non-zero mask in natural order, its bits moved
// to their zigzag positions.
using ZigzagBits = std::array<std::array<std::uint64_t, 256>, DCTSIZE2 / 8>;

ZigzagBits MakeZigzagBits() {
  std::array<int, DCTSIZE2> zigzagOf{};
  for (int k = 0; k < DCTSIZE2; ++k) zigzagOf[jpeg_natural_order[k]] = k;
  ZigzagBits bits{};
  for (int byte = 0; byte < DCTSIZE2 / 8; ++byte)
    for (int value = 0; value < 256; ++value)
      for (int bit = 0; bit < 8; ++bit)
        if (value & (1 << bit)) bits[byte][value] |= std::uint64_t{1} << zigzagOf[8 * byte + bit];
  return bits;
}

const ZigzagBits kZigzagBits = MakeZigzagBits();

// Bit n set when the coefficient at natural position n is not zero.
std::uint64_t NaturalMask(const JCOEF* block) {
  std::uint64_t mask = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (int part = 0; part < 4; ++part) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part + 8));
    // The saturating pack keeps every non-zero value non-zero.
    const __m128i zeros = _mm_cmpeq_epi8(_mm_packs_epi16(low, high), zero);
    const auto nonZero = static_cast<std::uint32_t>(~_mm_movemask_epi8(zeros)) & 0xFFFFu;
    mask |= std::uint64_t{nonZero} << (16 * part);
  }
#else
  for (int n = 0; n < DCTSIZE2; ++n) mask |= std::uint64_t{block[n] != 0} << n;
#endif
  return mask;
}

std::uint64_t ZigzagMask(const JCOEF* block) {
  const std::uint64_t natural = NaturalMask(block);
  std::uint64_t zigzag = 0;
  for (int byte = 0; byte < DCTSIZE2 / 8; ++byte) zigzag |= kZigzagBits[byte][(natural >> (8 * byte)) & 0xFF];
  return zigzag;
}

// Code lengths as libjpeg's jpeg_gen_optimal_table gives them: the two least
// frequent trees are merged until one is left, ties going to the larger
// symbol, and each merge lengthens the codes of both. A heap finds the two
// where libjpeg scans all 257 counts twice per merge.
void CodeLengths(long freq[], int codesize[]) {
  using Node = std::pair<long, int>;  // count, symbol at the tree's head
  const auto later = [](const Node& a, const Node& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  };
  std::array<Node, 257> heap{};
  std::size_t size = 0;
  for (int symbol = 0; symbol < 257; ++symbol)
    if (freq[symbol] != 0) heap[size++] = {freq[symbol], symbol};
  std::make_heap(heap.begin(), heap.begin() + size, later);
  std::array<int, 257> others;
  others.fill(-1);
  while (size > 1) {
    std::pop_heap(heap.begin(), heap.begin() + size--, later);
    const Node first = heap[size];
    std::pop_heap(heap.begin(), heap.begin() + size--, later);
    const Node second = heap[size];
    int c1 = first.second;
    for (++codesize[c1]; others[c1] >= 0; ++codesize[c1]) c1 = others[c1];
    others[c1] = second.second;
    for (int c2 = second.second; c2 >= 0; c2 = others[c2]) ++codesize[c2];
    heap[size++] = {first.first + second.first, first.second};
    std::push_heap(heap.begin(), heap.begin() + size, later);
  }
}

// Symbols of up to 16 bits, as JPEG allows; the rules and the order of the
// symbols are libjpeg's, so the tables are the same as its own.
void MakeTable(j_compress_ptr cinfo, JHUFF_TBL& table, long freq[]) {
  constexpr int kLongest = 32;
  int codesize[257] = {};
  freq[256] = 1;  // reserves the all-ones code
  CodeLengths(freq, codesize);
  std::array<int, kLongest + 1> bits{};
  for (int symbol = 0; symbol < 257; ++symbol) {
    if (codesize[symbol] > kLongest) ERREXIT(cinfo, JERR_HUFF_CLEN_OVERFLOW);
    if (codesize[symbol] != 0) ++bits[codesize[symbol]];
  }
  int i = kLongest;
  for (; i > 16; --i) {
    while (bits[i] > 0) {
      int j = i - 2;
      while (bits[j] == 0) --j;
      bits[i] -= 2;
      bits[i - 1] += 1;
      bits[j + 1] += 2;
      bits[j] -= 1;
    }
  }
  while (bits[i] == 0) --i;
  bits[i] -= 1;  // the reserved symbol
  for (int length = 0; length <= 16; ++length) table.bits[length] = static_cast<UINT8>(bits[length]);
  // Shorter codes first, symbols in order within one length.
  std::array<int, kLongest + 2> next{};
  for (int symbol = 0; symbol < 256; ++symbol) ++next[codesize[symbol] + 1];
  next[0] = next[1] = 0;  // symbols without a code are left out
  for (int length = 2; length <= kLongest + 1; ++length) next[length] += next[length - 1];
  for (int symbol = 0; symbol < 256; ++symbol)
    if (codesize[symbol] != 0) table.huffval[next[codesize[symbol]]++] = static_cast<UINT8>(symbol);
  table.sent_table = FALSE;
}

int BitsOf(int value) { return std::bit_width(static_cast<unsigned>(std::abs(value))); }

}  // namespace

void HuffmanCounts::TakeOver(j_compress_ptr cinfo) {
  std::memset(dcCounts_, 0, sizeof dcCounts_);
  std::memset(acCounts_, 0, sizeof acCounts_);
  std::memset(lastDc_, 0, sizeof lastDc_);
  cinfo->client_data = this;
  cinfo->entropy->encode_mcu = CountMcu;
  cinfo->entropy->finish_pass = MakeTables;
}

boolean HuffmanCounts::CountMcu(j_compress_ptr cinfo, JBLOCKROW* blocks) {
  HuffmanCounts& self = Of(cinfo);
  for (int b = 0; b < cinfo->blocks_in_MCU; ++b) {
    const int ci = cinfo->MCU_membership[b];
    const jpeg_component_info& component = *cinfo->cur_comp_info[ci];
    const JCOEF* block = blocks[b][0];
    self.CountBlock(cinfo, block, self.lastDc_[ci], self.dcCounts_[component.dc_tbl_no],
                    self.acCounts_[component.ac_tbl_no]);
    self.lastDc_[ci] = block[0];
  }
  return TRUE;
}

void HuffmanCounts::CountBlock(j_compress_ptr cinfo, const JCOEF* block, int lastDc, long* dc, long* ac) {
  const int dcBits = BitsOf(block[0] - lastDc);
  if (dcBits > kLargestDcBits) ERREXIT(cinfo, JERR_BAD_DCT_COEF);
  ++dc[dcBits];
  std::uint64_t rest = ZigzagMask(block) & ~std::uint64_t{1};
  int last = 0;  // zigzag position of the last non-zero coefficient
  while (rest != 0) {
    const int k = std::countr_zero(rest);
    rest &= rest - 1;
    int run = k - last - 1;
    for (; run > 15; run -= 16) ++ac[kRunOfSixteen];
    const int bits = BitsOf(block[jpeg_natural_order[k]]);
    if (bits > kLargestAcBits) ERREXIT(cinfo, JERR_BAD_DCT_COEF);
    ++ac[(run << 4) + bits];
    last = k;
  }
  if (last < DCTSIZE2 - 1) ++ac[kEndOfBlock];
}

// Each table once: making it consumes its counts.
void HuffmanCounts::MakeTables(j_compress_ptr cinfo) {
  HuffmanCounts& self = Of(cinfo);
  bool dcDone[NUM_HUFF_TBLS] = {};
  bool acDone[NUM_HUFF_TBLS] = {};
  for (int ci = 0; ci < cinfo->comps_in_scan; ++ci) {
    const jpeg_component_info& component = *cinfo->cur_comp_info[ci];
    const int dcTable = component.dc_tbl_no;
    const int acTable = component.ac_tbl_no;
    if (!dcDone[dcTable]) {
      JHUFF_TBL*& table = cinfo->dc_huff_tbl_ptrs[dcTable];
      if (table == nullptr) table = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
      MakeTable(cinfo, *table, self.dcCounts_[dcTable]);
      dcDone[dcTable] = true;
    }
    if (!acDone[acTable]) {
      JHUFF_TBL*& table = cinfo->ac_huff_tbl_ptrs[acTable];
      if (table == nullptr) table = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
      MakeTable(cinfo, *table, self.acCounts_[acTable]);
      acDone[acTable] = true;
    }
  }
}
