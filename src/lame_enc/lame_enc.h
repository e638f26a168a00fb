#pragma once

/*
 * liblame_enc.so: the MP3 encoder library of Sonvarek Maker. Six entry points with
 * C linkage in the BladeEnc style, over libmp3lame. The program loads the library
 * at run time (dlopen) and looks the entry points up by these names; everything a
 * caller needs is in this header, which includes nothing of the program.
 *
 * Records are byte-packed and little-endian, laid out as the BladeEnc interface
 * lays out its LAME configuration and version records.
 */

#include <stdint.h>

#if defined(LAME_ENC_BUILDING)
#define LAME_ENC_EXPORT __attribute__((visibility("default")))
#else
#define LAME_ENC_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t BE_ERR;
#define BE_ERR_SUCCESSFUL 0x00000000u
#define BE_ERR_INVALID_FORMAT 0x00000001u            /* not the LAME form of the record */
#define BE_ERR_INVALID_FORMAT_PARAMETERS 0x00000002u /* a field the encoder cannot take */
#define BE_ERR_NO_MORE_HANDLES 0x00000003u           /* the encoder could not be created */
#define BE_ERR_INVALID_HANDLE 0x00000004u            /* not an open stream of this library */
#define BE_ERR_BUFFER_TOO_SMALL 0x00000005u          /* the output would not fit the announced buffer */

/* A stream handle: a number the library hands out, never a pointer to dereference. */
typedef uintptr_t HBE_STREAM;

#define BE_CONFIG_LAME 256u
#define BE_CONFIG_LAME_VERSION 1u

/* nMode */
#define BE_MP3_MODE_STEREO 0
#define BE_MP3_MODE_JSTEREO 1
#define BE_MP3_MODE_DUALCHANNEL 2
#define BE_MP3_MODE_MONO 3

/* nPreset: the algorithm quality of the encoder. Any other value keeps libmp3lame's default. */
#define LQP_NORMAL_QUALITY 0 /* libmp3lame's default */
#define LQP_LOW_QUALITY 1    /* fast: algorithm quality 7 */
#define LQP_HIGH_QUALITY 2   /* algorithm quality 2 */
#define LQP_VOICE_QUALITY 3  /* default quality, low-pass at 12 kHz: speech needs no treble */

/* nVbrMethod, used when bEnableVBR is set */
#define VBR_METHOD_DEFAULT 0
#define VBR_METHOD_OLD 1
#define VBR_METHOD_NEW 2
#define VBR_METHOD_MTRH 3
#define VBR_METHOD_ABR 4

#pragma pack(push, 1)

/* The configuration record, LAME form: 331 bytes, every byte not set is 0. */
typedef struct {
  uint32_t dwConfig;        /*   0: BE_CONFIG_LAME */
  uint32_t dwStructVersion; /*   4: 1 */
  uint32_t dwStructSize;    /*   8: 331 */
  uint32_t dwSampleRate;    /*  12: of the samples given, Hz */
  uint32_t dwReSampleRate;  /*  16: of the MP3 stream, Hz; 0 = dwSampleRate (no resampling), or the
                                    encoder's choice for an input rate MPEG cannot carry */
  int32_t nMode;            /*  20: BE_MP3_MODE_*; mono takes one channel, the others two interleaved */
  uint32_t dwBitrate;       /*  24: kbit/s; CBR rate, or the minimum with VBR */
  uint32_t dwMaxBitrate;    /*  28: kbit/s; the VBR maximum */
  int32_t nPreset;          /*  32: LQP_* */
  uint32_t dwMpegVersion;   /*  36: informative; the sample rate decides the MPEG version */
  uint32_t dwPsyModel;      /*  40: informative */
  uint32_t dwEmphasis;      /*  44: 0 none, 1 50/15 µs, 3 CCITT J.17 */
  int32_t bPrivate;         /*  48 */
  int32_t bCRC;             /*  52 */
  int32_t bCopyright;       /*  56 */
  int32_t bOriginal;        /*  60 */
  int32_t bWriteVBRHeader;  /*  64: reserve the first frame for the Xing/LAME header */
  int32_t bEnableVBR;       /*  68 */
  int32_t nVBRQuality;      /*  72: 0 (best) .. 9 */
  uint32_t dwVbrAbr_bps;    /*  76: mean rate of VBR_METHOD_ABR, bit/s */
  int32_t nVbrMethod;       /*  80: VBR_METHOD_* */
  int32_t bNoRes;           /*  84: no bit reservoir */
  int32_t bStrictIso;       /*  88 */
  uint16_t nQuality;        /*  92: low byte 0..9 overrides the preset's algorithm quality when the
                                    high byte is its complement; otherwise ignored */
  uint8_t btReserved[237];  /*  94 */
} LameEncConfig;

/* The version record: 265 bytes. */
typedef struct {
  uint8_t byDLLMajorVersion; /*   0 */
  uint8_t byDLLMinorVersion; /*   1 */
  uint8_t byMajorVersion;    /*   2: libmp3lame */
  uint8_t byMinorVersion;    /*   3: libmp3lame */
  uint8_t byDay;             /*   4: release date of this library version */
  uint8_t byMonth;           /*   5 */
  uint16_t wYear;            /*   6 */
  char zHomepage[129];       /*   8: zero-terminated */
  uint8_t byAlphaLevel;      /* 137: libmp3lame's */
  uint8_t byBetaLevel;       /* 138: libmp3lame's */
  uint8_t byMMXEnabled;      /* 139 */
  uint8_t btReserved[125];   /* 140 */
} LameEncVersion;

#pragma pack(pop)

/*
 * Opens a stream for `config`. On success *samples is the number of 16-bit samples
 * (all channels together) that one beEncodeChunk call takes at most, *bufferSize the
 * size of the MP3 buffer every later call writes into, and *stream the handle, which
 * must be closed with beCloseStream. On failure nothing stays open.
 */
LAME_ENC_EXPORT BE_ERR beInitStream(LameEncConfig* config, uint32_t* samples, uint32_t* bufferSize,
                                    HBE_STREAM* stream);

/*
 * Encodes `count` 16-bit samples (interleaved left/right unless the stream is mono;
 * at most *samples of beInitStream, an odd stereo sample is dropped) into `output`,
 * which holds *bufferSize bytes; *outputBytes is the number of bytes produced.
 */
LAME_ENC_EXPORT BE_ERR beEncodeChunk(HBE_STREAM stream, uint32_t count, const int16_t* samples, uint8_t* output,
                                     uint32_t* outputBytes);

/* Flushes the encoder into `output` (*bufferSize bytes): the last frames of the stream. */
LAME_ENC_EXPORT BE_ERR beDeinitStream(HBE_STREAM stream, uint8_t* output, uint32_t* outputBytes);

/* Releases the stream; the handle is invalid afterwards. */
LAME_ENC_EXPORT BE_ERR beCloseStream(HBE_STREAM stream);

/* Fills the version record. */
LAME_ENC_EXPORT void beVersion(LameEncVersion* version);

/*
 * Writes the Xing/LAME header of the stream most recently finished with
 * beDeinitStream into the finished file at `path`, over the frame that the stream
 * reserved at its start (after a leading ID3v2 tag, if any). Fails without touching
 * the file when that stream reserved no frame or the file does not start with it.
 */
LAME_ENC_EXPORT BE_ERR beWriteVBRHeader(const char* path);

/* The entry points' types, for callers that look them up at run time. */
typedef BE_ERR (*LameEncInitStream)(LameEncConfig*, uint32_t*, uint32_t*, HBE_STREAM*);
typedef BE_ERR (*LameEncEncodeChunk)(HBE_STREAM, uint32_t, const int16_t*, uint8_t*, uint32_t*);
typedef BE_ERR (*LameEncDeinitStream)(HBE_STREAM, uint8_t*, uint32_t*);
typedef BE_ERR (*LameEncCloseStream)(HBE_STREAM);
typedef void (*LameEncVersionInfo)(LameEncVersion*);
typedef BE_ERR (*LameEncWriteVbrHeader)(const char*);

#ifdef __cplusplus
}

#include <bit>
#include <cstddef>

// The records are read and written in host order.
static_assert(std::endian::native == std::endian::little);

static_assert(sizeof(LameEncConfig) == 331);
static_assert(offsetof(LameEncConfig, dwConfig) == 0);
static_assert(offsetof(LameEncConfig, dwStructVersion) == 4);
static_assert(offsetof(LameEncConfig, dwStructSize) == 8);
static_assert(offsetof(LameEncConfig, dwSampleRate) == 12);
static_assert(offsetof(LameEncConfig, dwReSampleRate) == 16);
static_assert(offsetof(LameEncConfig, nMode) == 20);
static_assert(offsetof(LameEncConfig, dwBitrate) == 24);
static_assert(offsetof(LameEncConfig, dwMaxBitrate) == 28);
static_assert(offsetof(LameEncConfig, nPreset) == 32);
static_assert(offsetof(LameEncConfig, dwMpegVersion) == 36);
static_assert(offsetof(LameEncConfig, dwPsyModel) == 40);
static_assert(offsetof(LameEncConfig, dwEmphasis) == 44);
static_assert(offsetof(LameEncConfig, bPrivate) == 48);
static_assert(offsetof(LameEncConfig, bCRC) == 52);
static_assert(offsetof(LameEncConfig, bCopyright) == 56);
static_assert(offsetof(LameEncConfig, bOriginal) == 60);
static_assert(offsetof(LameEncConfig, bWriteVBRHeader) == 64);
static_assert(offsetof(LameEncConfig, bEnableVBR) == 68);
static_assert(offsetof(LameEncConfig, nVBRQuality) == 72);
static_assert(offsetof(LameEncConfig, dwVbrAbr_bps) == 76);
static_assert(offsetof(LameEncConfig, nVbrMethod) == 80);
static_assert(offsetof(LameEncConfig, bNoRes) == 84);
static_assert(offsetof(LameEncConfig, bStrictIso) == 88);
static_assert(offsetof(LameEncConfig, nQuality) == 92);
static_assert(offsetof(LameEncConfig, btReserved) == 94);

static_assert(sizeof(LameEncVersion) == 265);
static_assert(offsetof(LameEncVersion, byDLLMajorVersion) == 0);
static_assert(offsetof(LameEncVersion, byDLLMinorVersion) == 1);
static_assert(offsetof(LameEncVersion, byMajorVersion) == 2);
static_assert(offsetof(LameEncVersion, byMinorVersion) == 3);
static_assert(offsetof(LameEncVersion, byDay) == 4);
static_assert(offsetof(LameEncVersion, byMonth) == 5);
static_assert(offsetof(LameEncVersion, wYear) == 6);
static_assert(offsetof(LameEncVersion, zHomepage) == 8);
static_assert(offsetof(LameEncVersion, byAlphaLevel) == 137);
static_assert(offsetof(LameEncVersion, byBetaLevel) == 138);
static_assert(offsetof(LameEncVersion, byMMXEnabled) == 139);
static_assert(offsetof(LameEncVersion, btReserved) == 140);
#endif
