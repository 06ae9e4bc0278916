#include <cstdlib>

#include "core/platform/system.h"

namespace postwink {

void CRandom::Seed(uint32_t seed) { std::srand(seed); }

int CRandom::Next() { return std::rand(); }

}  // namespace postwink
