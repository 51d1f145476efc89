// Which vector instructions the drawing kernels use. On x86-64 the widest
// the machine has is found once at start-up (AVX-512, AVX2, else the
// baseline the program is built for); elsewhere only the portable kernels
// exist. Every level draws exactly the same pixels, so the choice is never
// seen; tests run each level the machine has in turn.
#pragma once

enum class KernelLevel { Portable = 0, Avx2 = 1, Avx512 = 2 };

// The widest level this machine runs.
KernelLevel BestKernelLevel();
// The level in use: BestKernelLevel() unless SetKernelLevel chose another.
KernelLevel GetKernelLevel();
// Uses `level`, or BestKernelLevel() where the machine lacks it; returns
// the level now in use.
KernelLevel SetKernelLevel(KernelLevel level);
