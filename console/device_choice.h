#pragma once
// Where the console's management library and device layer come from: the
// maker's library and the system's storage devices, or the simulator kit's
// library and its simulated driver, by the user's choice (TALO_SIM), or
// where nothing real could answer (see access/library_binding.h).

// Loads the libraries and installs the device layer that goes with them.
// With the simulator, its state is read at once: one that cannot be used
// ends the program here (exit code 2, the reason on standard error), as
// does a chosen simulator whose kit cannot be loaded. Called once, before
// anything opens a device.
void installChosenDevices();
