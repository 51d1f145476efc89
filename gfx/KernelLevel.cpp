#include "gfx/KernelLevel.h"

namespace {

KernelLevel Detect() {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return KernelLevel::Avx512;
    if (__builtin_cpu_supports("avx2"))
        return KernelLevel::Avx2;
#endif
    return KernelLevel::Portable;
}

KernelLevel& InUse() {
    static KernelLevel level = BestKernelLevel();
    return level;
}

} // namespace

KernelLevel BestKernelLevel() {
    static const KernelLevel best = Detect();
    return best;
}

KernelLevel GetKernelLevel() {
    return InUse();
}

KernelLevel SetKernelLevel(KernelLevel level) {
    InUse() = int(level) <= int(BestKernelLevel()) ? level : BestKernelLevel();
    return InUse();
}
