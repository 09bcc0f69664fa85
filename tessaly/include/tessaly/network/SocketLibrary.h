#pragma once

namespace tessaly::network {

// Starts the socket layer and the process-wide socket notifier, once per
// process; later calls do nothing until unloadSocketLibrary.
void loadSocketLibrary();
// Stops the notifier (joining its thread) and the socket layer.
void unloadSocketLibrary();

} // namespace tessaly::network
