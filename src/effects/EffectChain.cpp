#include "effects/EffectChain.h"

namespace tav {

// No effects exist yet: the chain is empty.
void BuildEffectChain() {}
void RemoveEffectChain() {}

}  // namespace tav
