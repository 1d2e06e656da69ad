#pragma once
// The one place where the layers are wired together. Lower layers (platform,
// link, data) cannot call the screens; they hand what they learn to hooks,
// and every such hook is assigned here, in the order a reader meets them.

// Assigns every cross-layer hook. Start-up calls it once, on the graphical
// thread, after the stored data is restored and before any worker starts.
void wireLayers();
