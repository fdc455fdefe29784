// The thread limit of the mask passes (see mask_parallel.h).
#include "selection/mask_parallel.h"

namespace mrv {

namespace {
int32_t gThreadLimit = 2;  // this engine targets two-core machines
}

void setMaskThreadLimit(int32_t threads) { gThreadLimit = threads < 1 ? 1 : threads; }

int32_t maskThreadLimit() { return gThreadLimit; }

}  // namespace mrv
