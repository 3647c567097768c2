#pragma once
// The effect chain on the played stream. Opening code calls these around
// every stream it creates or frees.

namespace tav {

// Attaches every effect that should be present and is not attached yet.
void BuildEffectChain();
// Removes every attached effect from the played stream.
void RemoveEffectChain();

}  // namespace tav
