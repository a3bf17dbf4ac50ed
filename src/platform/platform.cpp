#include "platform/platform.h"

#include <ctime>

namespace piko {

uint32_t Platform::RandomSeed() const {
  return seed_ ? *seed_ : static_cast<uint32_t>(std::time(nullptr));
}

}  // namespace piko
