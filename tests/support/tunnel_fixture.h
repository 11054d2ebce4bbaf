// Puts the tunnel's globals back to their values at program start.
#pragma once

// running false, "disconnected", no peers, an empty queue with no wake-up pending, accepting.
void ResetTunnel();
