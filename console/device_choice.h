#pragma once
// Where the console's device layer comes from: the simulated controller's
// driver, or the operating system's storage devices.

// Installs the simulated driver where the system has no controller driver
// or TALO_SIM names a simulator state, and otherwise leaves the system's
// devices in place. With the simulator, its state is read at once: one
// that cannot be used ends the program here (exit code 2, the reason on
// standard error). Called once, before anything opens a device.
void installChosenDevices();
