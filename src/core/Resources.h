#pragma once

// The pictures are compiled into the program library; a static library's resources
// must be registered explicitly before the first use.
void ensureResources();
