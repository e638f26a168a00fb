#pragma once

// Marks the few functions that carry most of the arithmetic (hybrid filter bank, synthesis,
// PCM conversion). On x86-64 they are built twice, for the baseline and for AVX2 machines,
// and the loader picks the one the processor runs; the loops inside vectorise either way.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(SONVAREK_MPEGDEC_BASELINE_ONLY)
#define MPEGDEC_VECTOR_KERNEL __attribute__((target_clones("arch=haswell", "default")))
#else
#define MPEGDEC_VECTOR_KERNEL
#endif

// Helpers of a kernel are inlined into it, so that they are built for each of its targets.
#if defined(__GNUC__) || defined(__clang__)
#define MPEGDEC_KERNEL_INLINE inline __attribute__((always_inline))
#else
#define MPEGDEC_KERNEL_INLINE inline
#endif
