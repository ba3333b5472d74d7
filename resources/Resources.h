#pragma once

namespace zel {

// Registers the embedded images with the Qt resource system; safe to call any number of times
// from any thread. The loaders call it themselves.
void InitResources();

} // namespace zel
