#include "mpegdec/decoder_tables.h"

#include <cmath>
#include <cstdlib>

namespace sonvarek::mpegdec::detail {

const BandTable kBandTables[9] = {
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
     {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
     {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
     {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 12, 24, 36, 48, 60, 72, 88, 108, 132, 160, 192, 232, 280, 336, 400, 476, 566, 568, 570, 572, 574, 576},
     {0, 8, 16, 24, 36, 52, 72, 96, 124, 160, 162, 164, 166, 192}},
};

const uint8_t kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

namespace {

// The synthesis window of ISO/IEC 11172-3 Table B.3 in units of 2^-16, entries 0..256; the
// rest follow from D[512 - i] = -D[i] (D[i] for i a multiple of 64).
constexpr int32_t kSynthWindowHalf[257] = {
    0, -1, -1, -1, -1, -1, -1, -2, -2, -2, -2, -3,
    -3, -4, -4, -5, -5, -6, -7, -7, -8, -9, -10, -11,
    -13, -14, -16, -17, -19, -21, -24, -26, -29, -31, -35, -38,
    -41, -45, -49, -53, -58, -63, -68, -73, -79, -85, -91, -97,
    -104, -111, -117, -125, -132, -139, -147, -154, -161, -169, -176, -183,
    -190, -196, -202, -208, 213, 218, 222, 225, 227, 228, 228, 227,
    224, 221, 215, 208, 200, 189, 177, 163, 146, 127, 106, 83,
    57, 29, -2, -36, -72, -111, -153, -197, -244, -294, -347, -401,
    -459, -519, -581, -645, -711, -779, -848, -919, -991, -1064, -1137, -1210,
    -1283, -1356, -1428, -1498, -1567, -1634, -1698, -1759, -1817, -1870, -1919, -1962,
    -2001, -2032, -2057, -2075, -2085, -2087, -2080, -2063, 2037, 2000, 1952, 1893,
    1822, 1739, 1644, 1535, 1414, 1280, 1131, 970, 794, 605, 402, 185,
    -45, -288, -545, -814, -1095, -1388, -1692, -2006, -2330, -2663, -3004, -3351,
    -3705, -4063, -4425, -4788, -5153, -5517, -5879, -6237, -6589, -6935, -7271, -7597,
    -7910, -8209, -8491, -8755, -8998, -9219, -9416, -9585, -9727, -9838, -9916, -9959,
    -9966, -9935, -9863, -9750, -9592, -9389, -9139, -8840, -8492, -8092, -7640, -7134,
    6574, 5959, 5288, 4561, 3776, 2935, 2037, 1082, 70, -998, -2122, -3300,
    -4533, -5818, -7154, -8540, -9975, -11455, -12980, -14548, -16155, -17799, -19478, -21189,
    -22929, -24694, -26482, -28289, -30112, -31947, -33791, -35640, -37489, -39336, -41176, -43006,
    -44821, -46617, -48390, -50137, -51853, -53534, -55178, -56778, -58333, -59838, -61289, -62684,
    -64019, -65290, -66494, -67629, -68692, -69679, -70590, -71420, -72169, -72835, -73415, -73908,
    -74313, -74630, -74856, -74992, 75038,
};

void tables_requantisation(DecoderTables& t) {
  for (int i = 0; i < kPow43Size; ++i) t.pow43[i] = static_cast<float>(std::pow(static_cast<double>(i), 4.0 / 3.0));
  for (int i = 0; i < kGainSize; ++i) t.gain[i] = static_cast<float>(std::exp2((i - kGainOffset) / 4.0));
}

void tables_intensity(DecoderTables& t) {
  const double pi = std::acos(-1.0);
  for (int pos = 0; pos < 7; ++pos) {
    if (pos == 6) {  // tan(pi / 2): all of the signal to the left channel
      t.intensity_mpeg1[pos][0] = 1.0f;
      t.intensity_mpeg1[pos][1] = 0.0f;
      continue;
    }
    const double ratio = std::tan(pos * pi / 12.0);
    t.intensity_mpeg1[pos][0] = static_cast<float>(ratio / (1.0 + ratio));
    t.intensity_mpeg1[pos][1] = static_cast<float>(1.0 / (1.0 + ratio));
  }
  for (int scale = 0; scale < 2; ++scale) {
    const double base = scale == 0 ? std::pow(2.0, -0.25) : std::pow(2.0, -0.5);
    for (int pos = 0; pos < 32; ++pos) {
      const bool odd = pos & 1;
      const double k = std::pow(base, odd ? (pos + 1) / 2 : pos / 2);
      t.intensity_mpeg2[scale][pos][0] = static_cast<float>(odd ? k : 1.0);
      t.intensity_mpeg2[scale][pos][1] = static_cast<float>(odd ? 1.0 : k);
    }
  }
}

void tables_hybrid(DecoderTables& t) {
  const double pi = std::acos(-1.0);
  constexpr double kAliasCoefficients[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
  for (int i = 0; i < 8; ++i) {
    const double c = kAliasCoefficients[i];
    t.alias_cs[i] = static_cast<float>(1.0 / std::sqrt(1.0 + c * c));
    t.alias_ca[i] = static_cast<float>(c / std::sqrt(1.0 + c * c));
  }
  double windows[4][36] = {};
  for (int i = 0; i < 36; ++i) {
    const double long_sine = std::sin(pi / 36.0 * (i + 0.5));
    windows[0][i] = long_sine;
    // Start window: long rise, flat, short fall, zero; the stop window mirrors it.
    if (i < 18) windows[1][i] = long_sine;
    else if (i < 24) windows[1][i] = 1.0;
    else if (i < 30) windows[1][i] = std::sin(pi / 12.0 * (i - 18 + 0.5));
    if (i >= 6 && i < 12) windows[3][i] = std::sin(pi / 12.0 * (i - 6 + 0.5));
    else if (i >= 12 && i < 18) windows[3][i] = 1.0;
    else if (i >= 18) windows[3][i] = long_sine;
  }
  for (int type = 0; type < 4; ++type)
    for (int k = 0; k < 18; ++k)
      for (int i = 0; i < 40; ++i)
        t.imdct36[type][k][i] =
            i < 36 ? static_cast<float>(windows[type][i] * std::cos(pi / 72.0 * (2 * i + 19) * (2 * k + 1))) : 0.0f;
  for (int k = 0; k < 6; ++k)
    for (int i = 0; i < 12; ++i)
      t.imdct12[k][i] = static_cast<float>(std::sin(pi / 12.0 * (i + 0.5)) * std::cos(pi / 24.0 * (2 * i + 7) * (2 * k + 1)));
}

void tables_synthesis(DecoderTables& t) {
  // Window values are k / 65536; the output scale 32768 makes them k / 2, exact in float.
  for (int i = 0; i <= 256; ++i) t.synth_window[i] = static_cast<float>(kSynthWindowHalf[i]) * 0.5f;
  for (int i = 257; i < 512; ++i) {
    const float mirrored = t.synth_window[512 - i];
    t.synth_window[i] = i % 64 == 0 ? mirrored : -mirrored;
  }
  const double pi = std::acos(-1.0);
  int at = 0;
  for (int n = 32; n >= 2; n /= 2)
    for (int i = 0; i < n / 2; ++i) t.dct32_scale[at++] = static_cast<float>(0.5 / std::cos(pi * (2 * i + 1) / (2.0 * n)));
}

void tables_short_reorder(DecoderTables& t) {
  for (int table = 0; table < 9; ++table) {
    const uint16_t* start = kBandTables[table].short_start;
    for (int sfb = 0; sfb < 13; ++sfb) {
      const int width = start[sfb + 1] - start[sfb];
      for (int window = 0; window < 3; ++window) {
        for (int line = start[sfb]; line < start[sfb + 1]; ++line) {
          const int reordered = (line / 6) * 18 + window * 6 + line % 6;
          t.short_reorder[table][reordered] = static_cast<uint16_t>(3 * start[sfb] + window * width + line - start[sfb]);
        }
      }
    }
  }
}

void tables_mulaw(DecoderTables& t) {
  for (int32_t index = 0; index < 8192; ++index) {
    const int32_t value13 = index < 4096 ? index : index - 8192;
    t.mulaw[index] = MulawEncode(value13 * 2);
  }
}

void tables_fixed(DecoderTables& t) {
  const double pi = std::acos(-1.0);
  for (int i = 0; i < 63; ++i) t.l12_scalefactor_q29[i] = static_cast<int32_t>(std::llround(std::exp2(1.0 - i / 3.0) * 0x1p29));
  t.l12_scalefactor_q29[63] = 0;
  for (int i = 0; i < 64; ++i)
    for (int k = 0; k < 32; ++k)
      t.synth_matrix_q30[i][k] = static_cast<int32_t>(std::llround(std::cos((16 + i) * (2 * k + 1) * pi / 64.0) * 0x1p30));
  // The float window holds D * 32768 exactly (k / 2 for D = k / 65536).
  for (int i = 0; i < 512; ++i) t.synth_window_q30[i] = static_cast<int32_t>(std::llround(t.synth_window[i] * 0x1p15));
}

DecoderTables* tables_build() {
  static DecoderTables tables;
  tables_requantisation(tables);
  tables_intensity(tables);
  tables_hybrid(tables);
  tables_synthesis(tables);
  tables_short_reorder(tables);
  tables_mulaw(tables);
  tables_fixed(tables);
  if (!BuildHuffmanLookup(tables.huffman)) std::abort();  // capacity is a compile-time fact
  return &tables;
}

}  // namespace

// The magnitude plus the bias 33 falls in one of 8 segments of 16 steps, each segment's steps
// twice as wide as the previous one's; the code is sign, segment and step, inverted (all bits
// for positive samples, all but the sign for negative ones). A negative sample's magnitude is
// its one's complement, which makes the quantiser symmetric about -1/2.
uint8_t MulawEncode(int32_t sample14) {
  const bool negative = sample14 < 0;
  int32_t biased = (negative ? -sample14 - 1 : sample14) + 33;
  if (biased > 0x1FFF) biased = 0x1FFF;
  int segment = 0;
  while (segment < 7 && biased >= (64 << segment)) ++segment;
  const int32_t step = (biased >> (segment + 1)) & 0x0F;
  return static_cast<uint8_t>(((segment << 4) | step) ^ (negative ? 0x7F : 0xFF));
}

const DecoderTables& Tables() {
  static const DecoderTables* const tables = tables_build();
  return *tables;
}

}  // namespace sonvarek::mpegdec::detail
