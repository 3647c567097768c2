#pragma once
// The effect chain on the played stream. Opening code calls these around
// every stream it creates or frees.

namespace tav {

// Attaches every effect that should be present and is not attached yet; the
// master volume always comes last.
void BuildEffectChain();
// Removes every attached effect from the played stream.
void RemoveEffectChain();
// Hands the volume and mute state to the mixing thread (call after changing
// either).
void PublishVolume();

}  // namespace tav
