// Whether this process runs with administrator rights granted by elevation.
#pragma once

bool IsProcessElevated();
