#pragma once

// Starts the thread that shows controller events between commands in
// library mode. False when the thread cannot be created.
bool startEventDisplayThread();
