#pragma once

// Waits for one key pressed on the controlling terminal: no echo, no Enter,
// and typed-ahead or piped text does not count. Without a controlling
// terminal (a pipeline, CI) there is nobody to press a key and it returns
// at once.
void wait_for_key();
