#pragma once

// Asks for the back-end, brings it up, selects the controller and runs the
// shell; releases everything before it returns. Always returns 0.
int runStartup();
