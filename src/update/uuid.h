// A new installation identifier.
#pragma once

// Writes a new random version-4 UUID text (36 characters and a terminator).
void GenerateUuid(char* destination);
